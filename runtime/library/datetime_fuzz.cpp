// Date text reading (ParseDateTimeText through ToDateTime): whatever the text,
// a value is either the invalid date-time or one whose Chinese date text reads
// back as the same value.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/testing/fuzz_check.h"
#include "runtime/library/datetime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The text ends at its first NUL, as every Text does.
  std::string text(reinterpret_cast<const char*>(data), size);
  DateTime parsed = 0;
  bool ok = ParseDateTimeText(text.c_str(), &parsed);
  DateTime via_slot = CallLibrary(ToDateTime, {TextSlot(text.c_str())});
  FUZZ_CHECK(via_slot == parsed);
  if (!ok) {
    FUZZ_CHECK(parsed == kInvalidDateTime);
    return 0;
  }
  FUZZ_CHECK(std::strlen(text.c_str()) >= 8);
  FUZZ_CHECK(text[0] >= '0' && text[0] <= '9');
  FUZZ_CHECK(std::isfinite(parsed));

  // Every date a text names has its date text.
  OwnedText written(DateTimeToText(parsed, false));
  FUZZ_CHECK(written.get() != nullptr);
  // Beyond some 5e10 days (years past 100 million) a double no longer holds
  // the time of day to the second: nothing more can be required there.
  if (std::fabs(parsed) >= 5e10) return 0;

  // Whole seconds of a real calendar day.
  double whole = std::trunc(parsed);
  ClockTime time = TimeOfDay(parsed - whole);
  FUZZ_CHECK(time.hour >= 0 && time.hour <= 23 && time.minute <= 59 && time.second <= 59);
  CalendarDay day = CalendarDate(whole);
  FUZZ_CHECK(day.year >= 1 && day.month >= 1 && day.month <= 12 && day.day >= 1 && day.day <= 31);
  FUZZ_CHECK(DateTimeFromParts(day.year, day.month, day.day, time.hour, time.minute, time.second) ==
             parsed);

  // Written as Chinese date text, the value reads back unchanged.
  DateTime again = 0;
  FUZZ_CHECK(ParseDateTimeText(written.get(), &again));
  FUZZ_CHECK(again == parsed);
  return 0;
}

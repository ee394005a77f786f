// The local clock and OLE automation dates (the pauses are timed end to end).
#include <ctime>

#include "testing/conformance.h"

TEST(Clock, LocalTimeIsTheLocalZonesDateAndTime) {
  SYSTEMTIME t{};
  os.GetLocalTime(&t);
  std::tm c{};  // the same time through the C library
  c.tm_year = t.wYear - 1900, c.tm_mon = t.wMonth - 1, c.tm_mday = t.wDay, c.tm_isdst = -1;
  c.tm_hour = t.wHour, c.tm_min = t.wMinute, c.tm_sec = t.wSecond;
  const std::time_t local = std::mktime(&c), now = std::time(nullptr);
  EXPECT_LE(uint64_t(now - local + 1), 2u) << now << " " << local;  // time() may lag a tick
  EXPECT_EQ(t.wDayOfWeek, c.tm_wday);
}

TEST(OleDates, WholeDaysFrom18991230AndTheTimeOfDayRoundedToTheSecond) {
  for (const auto& [days, expected] :
       {std::pair{-1.25, "1899-12-29 06:00:00.000"},  // before: the fraction is from midnight
        {45381.99999999, "2024-03-31 00:00:00.000"},
        {-657434.0, "0100-01-01 00:00:00.000"},  // the first day and the last
        {2958465.540972222, "9999-12-31 12:59:00.000"},
        {-657435.0, "refused"},
        {2958466.0, "refused"}}) {
    SYSTEMTIME t{};
    char got[64] = "refused";
    if (os.VariantTimeToSystemTime(days, &t))
      std::snprintf(got, sizeof got, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth,
                    t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    EXPECT_STREQ(got, expected) << days;
  }
  SYSTEMTIME t{};  // and the day of the week (0: Sunday): 1900-01-01 was a Monday
  EXPECT_TRUE(os.VariantTimeToSystemTime(2.5, &t) && t.wDayOfWeek == 1) << t.wDayOfWeek;
}

#include "runtime/library/datetime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/civil_date.h"
#include "platform/gbk.h"
#include "platform/platform.h"
#include "runtime/library/conversions.h"

namespace {

// The constants of the day count, each the double nearest the fraction.
constexpr double kOneSecond = 1.1574074074074073e-05;  // 1/86400
constexpr double kPerHour = 0.0002777777777777778;     // 1/3600
constexpr double kPerMinute = 0.016666666666666666;    // 1/60
constexpr double kPerWeek = 0.14285714285714285;       // 1/7
constexpr double kPerQuarter = 0.3333333333333333;     // 1/3
constexpr double kSecondsPerDay = 86400;
constexpr double kHalf = 0.5;

// Day counts this large would overflow the 64-bit arithmetic of CalendarDate;
// long before them the year no longer fits 32 bits, which it checks as well.
constexpr double kDayLimit = 1e15;

// Remainders take the sign of the year, as C's % does.
bool IsLeapYear(int64_t year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

int64_t YearLength(int64_t year) { return IsLeapYear(year) ? 366 : 365; }

int64_t MonthLength(int64_t year, int32_t month) {
  static const int8_t kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

int64_t DaysBeforeMonth(int64_t year, int32_t month) {
  int64_t days = 0;
  for (int32_t m = 1; m < month; ++m) days += MonthLength(year, m);
  return days;
}

// a / b rounded down, for b > 0: a remainder below 0 means the quotient was rounded up.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// Leap years up to and including `year`, counted from an origin such that the
// difference of two counts is the number of leap years between them.
int64_t LeapYearsThrough(int64_t year) {
  return FloorDiv(year, 4) - FloorDiv(year, 100) + FloorDiv(year, 400);
}

// Sum of the lengths of the years first..last; 0 when last < first.
int64_t YearsLength(int64_t first, int64_t last) {
  if (last < first) return 0;
  return 365 * (last - first + 1) + LeapYearsThrough(last) - LeapYearsThrough(first - 1);
}

// Whole days and the year and month of a date-time (the calendar units of intervals).
struct YearMonth {
  int64_t year;
  int64_t month;
};
YearMonth YearMonthOf(double value) {
  CalendarDay day = CalendarDate(std::trunc(value));
  return {day.year, day.month};
}

// Week number of a whole day count: d/7, rounded away from zero unless whole
// (and downward at 0 and below).
double WeekOf(double days) {
  double weeks = days * kPerWeek;
  double whole = std::trunc(weeks);
  if (weeks == whole) return weeks;
  return days > 0 ? whole + 1 : whole - 1;
}

// Text markers of the Chinese form, one per part: year ... second.
constexpr char kMarkers[6][3] = {"\xC4\xEA", "\xD4\xC2", "\xC8\xD5",
                                 "\xCA\xB1", "\xB7\xD6", "\xC3\xEB"};

bool IsDigit(unsigned char b) { return b >= '0' && b <= '9'; }

// Reads the leading digits of text[begin, end); no digits read 0. A value
// beyond 32 bits gives -1 (out of every range).
int64_t ReadPart(const unsigned char* text, size_t begin, size_t end) {
  int64_t value = 0;
  for (size_t i = begin; i < end && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) return -1;
  }
  return value;
}

}  // namespace

DateTime DateTimeFromParts(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                           int32_t second) {
  double x = static_cast<double>(int64_t{hour} * 3600 + int64_t{minute} * 60 + second) * kOneSecond;
  bool month_valid = month >= 1 && month <= 12;
  if (year == 1899 && month == 12 && day >= 30) return static_cast<double>(day - 30) + x;
  if (year >= 1900) {
    int64_t whole = YearsLength(1900, int64_t{year} - 1);
    whole += month_valid ? DaysBeforeMonth(year, month) + day : YearLength(year);
    return static_cast<double>(whole + 1) + x;
  }
  // Before 1899-12-30 the magnitude counts backward from there; the sum is
  // taken in the order written, starting from the time of day.
  double back = x + static_cast<double>(YearsLength(int64_t{year} + 1, 1899));
  if (month_valid) {
    int64_t after = 0;
    for (int32_t m = month + 1; m <= 12; ++m) after += MonthLength(year, m);
    back += static_cast<double>(after);
    back += static_cast<double>(MonthLength(year, month));
    back -= day;
    back -= 1;
  } else {
    back += static_cast<double>(YearLength(year));
    back -= 1;
  }
  return -back;
}

CalendarDay CalendarDate(double whole_days) {
  double d = std::trunc(whole_days);
  if (!(std::fabs(d) < kDayLimit)) return {0, 0, 0};
  int64_t year;  // all three set by CivilFromDays
  int64_t month;
  int64_t day;
  platform::CivilFromDays(static_cast<int64_t>(d) - platform::kUnixEpochOleDay, &year, &month,
                          &day);
  if (year < INT32_MIN || year > INT32_MAX) return {0, 0, 0};
  return {static_cast<int32_t>(year), static_cast<int32_t>(month), static_cast<int32_t>(day)};
}

ClockTime TimeOfDay(double fraction) {
  double seconds = std::fabs(fraction) * kSecondsPerDay + kHalf;
  // Callers pass fractions of a day; this only keeps the conversion defined.
  if (!(seconds < static_cast<double>(INT32_MAX))) return {0, 0, 0};
  auto s = static_cast<int32_t>(seconds);
  return {s / 3600, s % 3600 / 60, s % 60};
}

Text DateTimeToText(DateTime value, bool date_only) {
  double whole = std::trunc(value);
  CalendarDay date = CalendarDate(whole);
  if (date.month == 0) return nullptr;  // not a date: NaN, infinite or far out
  ClockTime time = TimeOfDay(value - whole);
  const char* format = "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5";
  if (!date_only) {
    if (time.second != 0) {
      format = "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5%d\xCA\xB1%d\xB7\xD6%d\xC3\xEB";
    } else if (time.minute != 0) {
      format = "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5%d\xCA\xB1%d\xB7\xD6";
    } else if (time.hour != 0) {
      format = "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5%d\xCA\xB1";
    }
  }
  char buffer[kWorkBufferSize];
  int n = std::snprintf(buffer, sizeof buffer, format, date.year, date.month, date.day, time.hour,
                        time.minute, time.second);
  return TextFromBuffer(buffer, n);
}

bool ParseDateTimeText(Text text, DateTime* result) {
  *result = kInvalidDateTime;
  if (text == nullptr) return false;
  const auto* t = reinterpret_cast<const unsigned char*>(text);
  const size_t length = std::strlen(text);
  if (length < 8) return false;

  // The parts are read in place: [begin, end) of each part found so far.
  struct Span {
    size_t begin;
    size_t end;
  };
  Span parts[6] = {};
  int n = 0;
  size_t part_begin = 0;
  unsigned char separator = 0;  // 0: none in force
  bool chinese_form = false;
  bool ascii_form = false;

  for (size_t i = 0; i < length;) {
    // Nothing may follow the sixth part (second).
    if (n == 6) return false;
    unsigned char b = t[i];
    if (IsDigit(b)) {
      if (i == length - 1) parts[n++] = {part_begin, length};
      ++i;
      continue;
    }
    if (platform::gbk::IsLeadByte(b)) {
      // (A marker first names no year; one cut off at the end meets the NUL.)
      if (ascii_form || std::memcmp(t + i, kMarkers[n], 2) != 0) return false;
      if (n == 0) chinese_form = true;
      parts[n++] = {part_begin, i};
      i += 2;
      part_begin = i;
      continue;
    }
    if (n == 0) {
      if (b != '/' && b != '-' && b != '.') return false;
      separator = b;
      ascii_form = true;
    } else if (n == 2 && (b == ' ' || b == '/' || b == '-')) {
      separator = 0;  // the time may use its own separator
    } else if (n == 3 && separator == 0) {
      if (chinese_form) return false;
      if (b != '/' && b != '-' && b != ':') return false;
      separator = b;
    } else if (b != separator) {
      return false;
    }
    parts[n++] = {part_begin, i};
    ++i;
    part_begin = i;
  }

  int64_t values[6] = {0, 0, 0, 0, 0, 0};
  if (n == 1) {
    // Compact form: four digits of year, then two for each further part.
    if (length > 14) return false;
    values[0] = ReadPart(t, 0, 4);
    for (size_t k = 1, at = 4; at < length; ++k, at += 2)
      values[k] = ReadPart(t, at, std::min(at + 2, length));
  } else if (n >= 3) {
    for (int k = 0; k < n; ++k) values[k] = ReadPart(t, parts[k].begin, parts[k].end);
  } else {
    return false;  // no parts, or a text that stops after the month
  }

  const int64_t year = values[0];
  const int64_t month = values[1];
  bool valid = year > 0;
  // A day in a month that exists (MonthLength needs a month of 1 to 12).
  valid = (month >= 1 && month <= 12 && values[2] >= 1 &&
           values[2] <= MonthLength(year, static_cast<int32_t>(month))) &&
          valid;
  valid = (values[3] >= 0 && values[3] <= 23) && valid;
  valid = (values[4] >= 0 && values[4] <= 59) && valid;
  valid = (values[5] >= 0 && values[5] <= 59) && valid;
  if (!valid) return false;
  *result = DateTimeFromParts(static_cast<int32_t>(year), static_cast<int32_t>(month),
                              static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3]),
                              static_cast<int32_t>(values[4]), static_cast<int32_t>(values[5]));
  return true;
}

DateTime CurrentTime(int32_t, const ArgSlot*) {
  platform::SYSTEMTIME now{};
  platform::Os().GetLocalTime(&now);
  return DateTimeFromParts(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

DateTime ToDateTime(int32_t count, const ArgSlot* args) {
  const ArgSlot& value = SlotAt(count, args, 0);
  switch (value.tag) {
    case TAG_DATETIME:
    case TAG_DOUBLE:
    case TAG_INT64:
      return SlotDouble(value);  // the eight bytes as they stand
    case TAG_TEXT: {
      DateTime result;
      ParseDateTimeText(static_cast<Text>(SlotPointer(value)), &result);
      return result;
    }
    default:
      return kInvalidDateTime;
  }
}

double TimeInterval(int32_t count, const ArgSlot* args) {
  double first = SlotDouble(SlotAt(count, args, 0));
  double second = SlotDouble(SlotAt(count, args, 1));
  switch (SlotInt(SlotAt(count, args, 2))) {
    case kIntervalYears:
      return static_cast<double>(YearMonthOf(first).year - YearMonthOf(second).year);
    case kIntervalQuarters: {
      YearMonth a = YearMonthOf(first);
      YearMonth b = YearMonthOf(second);
      double quarters =
          static_cast<double>(12 * (a.year - b.year) + a.month - b.month) * kPerQuarter;
      // A quarter begun counts whole, away from zero in both directions (a
      // first date one month before the second is -1 quarter, not +1).
      double whole = std::trunc(quarters);
      return quarters == whole ? whole : whole + std::copysign(1.0, quarters);
    }
    case kIntervalMonths: {
      YearMonth a = YearMonthOf(first);
      YearMonth b = YearMonthOf(second);
      return static_cast<double>(12 * (a.year - b.year) + a.month - b.month);
    }
    case kIntervalWeeks:
      return WeekOf(std::trunc(first)) - WeekOf(std::trunc(second));
    case kIntervalDays:
      return first - second;
    case kIntervalHours:
      return (first - second) * kSecondsPerDay * kPerHour;
    case kIntervalMinutes:
      return (first - second) * kSecondsPerDay * kPerMinute;
    case kIntervalSeconds:
      return (first - second) * kSecondsPerDay;
    default:
      return 0;
  }
}

void Delay(int32_t count, const ArgSlot* args) {
  int32_t milliseconds = SlotInt(SlotAt(count, args, 0));
  if (milliseconds <= 0) return;
  platform::Os().Sleep(static_cast<platform::DWORD>(milliseconds));
}

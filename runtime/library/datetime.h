// The date-time value (OLE automation day count), its operations and delays.
// Like every runtime header, it keeps all the operations the runtime defines,
// whether this program calls them or not. The launcher calls the four library
// operations; the internal ones serve only runtime operations (ToDateTime,
// CurrentTime, ToText, ConsoleWrite).
#pragma once

#include <cstdint>

#include "runtime/core/arguments.h"
#include "runtime/core/text.h"

// Days since 1899-12-30 00:00:00; the fraction is the time of day.
using DateTime = double;

// What text-to-date-time gives for text it cannot read: 0100-01-01 00:00:00.
inline constexpr DateTime kInvalidDateTime = -657434.0;

// Library operations (argument records).
DateTime CurrentTime(int32_t count, const ArgSlot* args);  // no argument
DateTime ToDateTime(int32_t count, const ArgSlot* args);   // one value of any tag
double TimeInterval(int32_t count, const ArgSlot* args);   // first, second, unit
void Delay(int32_t count, const ArgSlot* args);            // milliseconds

// Units of TimeInterval.
enum IntervalUnit : int32_t {
  kIntervalYears = 1,
  kIntervalQuarters,
  kIntervalMonths,
  kIntervalWeeks,
  kIntervalDays,
  kIntervalHours,
  kIntervalMinutes,
  kIntervalSeconds,
};

// Internal operations.
DateTime DateTimeFromParts(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                           int32_t second);
bool ParseDateTimeText(Text text, DateTime* result);

struct CalendarDay {
  int32_t year;
  int32_t month;
  int32_t day;
};
CalendarDay CalendarDate(double whole_days);

struct ClockTime {
  int32_t hour;
  int32_t minute;
  int32_t second;
};
ClockTime TimeOfDay(double fraction);

// Chinese date text (年月日, then 时分秒 as far as they are not zero); a fresh
// text made with AllocBlock.
Text DateTimeToText(DateTime value, bool date_only);

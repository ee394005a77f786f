// Linux backend: the local clock, OLE automation dates and delays.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "platform/civil_date.h"
#include "platform/posix/posix_backend.h"

namespace platform::posix {
namespace {

// The range Windows accepts: 0100-01-01 to 9999-12-31.
constexpr double kFirstDate = -657434.0;
constexpr double kLastDate = 2958466.0;

}  // namespace

// The whole part counts days from 1899-12-30 (toward zero); the fraction's
// magnitude is the time of day, rounded to the second. Milliseconds are 0.
BOOL VariantTimeToSystemTime(double variant_time, SYSTEMTIME* time) {
  if (!(variant_time >= kFirstDate && variant_time < kLastDate)) return kFalse;
  double whole = std::trunc(variant_time);
  // Rounded half away from zero, as llround does, without the maths library.
  double scaled = std::fabs(variant_time - whole) * 86400.0;
  double whole_seconds = std::trunc(scaled);
  auto seconds = static_cast<int64_t>(whole_seconds) + (scaled - whole_seconds >= 0.5 ? 1 : 0);
  int64_t day = static_cast<int64_t>(whole) - kUnixEpochOleDay;
  if (seconds >= 86400) {  // rounds up into the next day
    seconds -= 86400;
    ++day;
  }
  int64_t y, m, d;
  CivilFromDays(day, &y, &m, &d);
  time->wYear = static_cast<WORD>(y);
  time->wMonth = static_cast<WORD>(m);
  time->wDay = static_cast<WORD>(d);
  time->wDayOfWeek = static_cast<WORD>(((day % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  time->wHour = static_cast<WORD>(seconds / 3600);
  time->wMinute = static_cast<WORD>(seconds % 3600 / 60);
  time->wSecond = static_cast<WORD>(seconds % 60);
  time->wMilliseconds = 0;
  return kTrue;
}

void GetLocalTime(SYSTEMTIME* out) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);  // honours TZ
  out->wYear = static_cast<WORD>(local.tm_year + 1900);
  out->wMonth = static_cast<WORD>(local.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  out->wDay = static_cast<WORD>(local.tm_mday);
  out->wHour = static_cast<WORD>(local.tm_hour);
  out->wMinute = static_cast<WORD>(local.tm_min);
  out->wSecond = static_cast<WORD>(std::min(local.tm_sec, 59));  // a leap second is the 59th
  out->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

void Sleep(DWORD milliseconds) {
  timespec rest{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  TEMP_FAILURE_RETRY(nanosleep(&rest, &rest));  // on from what is left
}

}  // namespace platform::posix

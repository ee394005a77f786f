// The local clock and OLE automation dates (the pauses are timed end to end).
#include <gtest/gtest.h>

#include <ctime>

#include "platform/platform.h"

using namespace platform;

static const Api& os = NativeApi();

TEST(Clock, LocalTimeIsTheLocalZonesDateAndTime) {
  SYSTEMTIME t{};
  os.GetLocalTime(&t);
  std::tm c{};  // the same time through the C library
  c.tm_year = t.wYear - 1900, c.tm_mon = t.wMonth - 1, c.tm_mday = t.wDay, c.tm_isdst = -1;
  c.tm_hour = t.wHour, c.tm_min = t.wMinute, c.tm_sec = t.wSecond;
  EXPECT_TRUE(uint64_t(std::time(nullptr) - std::mktime(&c)) <= 1 && c.tm_wday == t.wDayOfWeek);
}

TEST(OleDates, WholeDaysFrom18991230AndTheTimeOfDayRoundedToTheSecond) {
  SYSTEMTIME t{};
  // Before 1899-12-30 too, the fraction is the time from midnight.
  EXPECT_TRUE(os.VariantTimeToSystemTime(-1.25, &t) && t.wYear == 1899 && t.wDay == 29 &&
              t.wHour == 6);
  EXPECT_TRUE(os.VariantTimeToSystemTime(45306.99999999, &t) && t.wMonth == 1 && t.wDay == 16 &&
              t.wHour + t.wMinute + t.wSecond + t.wMilliseconds == 0);  // 2024-01-16 00:00
  EXPECT_FALSE(os.VariantTimeToSystemTime(-657435.0, &t) ||
               os.VariantTimeToSystemTime(2958466.0, &t));  // outside 0100 to 9999
}

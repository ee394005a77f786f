#include "runtime/library/datetime.h"

#include <gtest/gtest.h>

#include "testing/fake_system.h"

constexpr double kSecond = 1.1574074074074073e-05;
constexpr double kJan15 = 45306;                      // 2024-01-15
constexpr double kMoment = kJan15 + 37230 * kSecond;  // 2024-01-15 10:20:30

static DateTime Parse(const std::string& t) {
  return CallLibrary(ToDateTime, {TextSlot(t.c_str())});
}

TEST(ToDateTime, TextsInEveryFormAndTextsThatAreNoDate) {
  const DateTime no = kInvalidDateTime;
  const std::string cn =  // 2024年1月15日10时20分30秒; cut after 日 and after 月 (no day)
      "2024\xC4\xEA\x31\xD4\xC2\x31\x35\xC8\xD5\x31\x30\xCA\xB1\x32\x30\xB7\xD6\x33\x30\xC3\xEB";
  // clang-format off
  const std::pair<std::string, DateTime> cases[] = {{"1970-01-01 08:00:00", 25569.333333333332},
      {"1899-12-29 06:00:00", -1.25}, {"0099-12-31", -657435}, {"2000-02-29", 36585},
      {"2024/1/15 10:20:30", kMoment}, {"2024.01.15.10.20.30", kMoment},
      {"2024-01-15 10/20/30", kMoment}, {"2024-01-15 23-59-59", kJan15 + 86399 * kSecond},
      {"2024-01-15 10.20.30", no}, {"20240115102030", kMoment}, {cn, kMoment},
      {cn.substr(0, 13), kJan15}, {"2024-01-15 10:", kJan15 + 36000 * kSecond},
      {"202401151", kJan15 + 3600 * kSecond}, {"2023-02-29", no}, {"1900-02-29", no},
      {"2024-04-31", no}, {"2024-13-01", no}, {"2024-00-15", no}, {"2024-01-00", no},
      {"2024-01-15 24:00:00", no}, {"2024-01-15 10:60:00", no}, {"2024-01-15 10:20:60", no},
      {"2024-01-15 99999999999", no}, {"0000-01-01", no}, {"24-1-5", no}, {" 2024-01-15", no},
      {"2024-01/15", no}, {"2024-011", no}, {cn.substr(0, 9), no}, {"202401151020301", no},
      {"2024-01-15 10:20:30:45", no}, {cn.substr(4), no}};
  // clang-format on
  for (const auto& [text, value] : cases) {
    DateTime parsed;
    EXPECT_EQ(ParseDateTimeText(text.c_str(), &parsed), value != no) << text;
    EXPECT_EQ(Parse(text), value) << text;
  }
  EXPECT_EQ(CallLibrary(ToDateTime, {Int64Slot(0x4004000000000000)}), 2.5);  // the bits of 2.5
  EXPECT_EQ(CallLibrary(ToDateTime, {IntSlot(3)}), no);
}

TEST(CalendarDate, AgreesWithDateTimeFromPartsAcrossTheCalendar) {
  // Forward from 1900 and backward from 1899 meet without a gap through every leap rule (0, 100,
  // 400, 1900, 2000), stepping onto each 29 February that ends a 400-year era (2000's: 36585).
  for (double day = -799999; day <= 3000000; day += 7) {
    CalendarDay date = CalendarDate(day);
    ASSERT_EQ(DateTimeFromParts(date.year, date.month, date.day, 0, 0, 0), day) << date.year;
  }
  for (const CalendarDay none : {CalendarDate(1e14), CalendarDate(-1e15)})  // beyond 32-bit years
    EXPECT_EQ(none.year | none.month | none.day, 0);
  // A month out of range counts the year whole (from 1900; before, it ends a day earlier).
  EXPECT_EQ(DateTimeFromParts(2024, 13, 5, 0, 0, 0), DateTimeFromParts(2024, 12, 31, 0, 0, 0));
  EXPECT_EQ(DateTimeFromParts(1800, 0, 5, 0, 0, 0), DateTimeFromParts(1799, 12, 31, 0, 0, 0));
  EXPECT_EQ(fake::Take(DateTimeToText(kMoment - 30 * kSecond, false)),  // 2024年1月15日10时20分
            "2024\xC4\xEA\x31\xD4\xC2\x31\x35\xC8\xD5\x31\x30\xCA\xB1\x32\x30\xB7\xD6");
}

TEST(TimeIntervalCurrentTimeAndDelay, UnitsOfTheDifferenceTheLocalClockAndSleeps) {
  fake::FakeSystem system;
  const DateTime a = Parse("2025-03-01 06:30:00"), b = Parse("2023-11-20 17:45:10");
  // clang-format off
  const std::pair<int32_t, double> cases[] = {{kIntervalYears, 2}, {kIntervalQuarters, 6},
      {kIntervalMonths, 16}, {kIntervalWeeks, 66}, {kIntervalDays, a - b},
      {kIntervalHours, (a - b) * 24}, {kIntervalMinutes, (a - b) * 1440},
      {kIntervalSeconds, (a - b) * 86400}, {0, 0}, {9, 0}};
  // clang-format on
  for (const auto& [unit, interval] : cases)
    for (const auto& [from, to, sign] : {std::tuple{a, b, 1}, {b, a, -1}})  // both ways
      EXPECT_NEAR(CallLibrary(TimeInterval, {DateTimeSlot(from), DateTimeSlot(to), IntSlot(unit)}),
                  sign * interval, 1e-6)
          << unit;
  system.now = {1970, 1, 4, 1, 8, 0, 0, 999};
  EXPECT_EQ(CurrentTime(0, nullptr), 25569.333333333332);
  for (int32_t ms : {500, 1, 0, -1}) CallLibrary(Delay, {IntSlot(ms)});
  EXPECT_EQ(system.calls, (std::vector<std::string>{"Sleep 500", "Sleep 1"}));
}

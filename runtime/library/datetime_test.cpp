#include "runtime/library/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

constexpr double kOneSecond = 1.1574074074074073e-05;
// Day numbers: 2024-01-15 and 2024-01-05.
constexpr double kJan15 = 45306;
constexpr double kJan5 = 45296;

// A date text with the Chinese markers of year, month, day, hour, minute and
// second written as the letters Y, M, D, h, m and s.
std::string Cn(const char* pattern) {
  static const std::string kLetters = "YMDhms";
  static const char* const kMarkers[] = {"\xC4\xEA", "\xD4\xC2", "\xC8\xD5",
                                         "\xCA\xB1", "\xB7\xD6", "\xC3\xEB"};
  std::string text;
  for (const char* p = pattern; *p != 0; ++p) {
    size_t marker = kLetters.find(*p);
    text += marker == std::string::npos ? std::string(1, *p) : kMarkers[marker];
  }
  return text;
}

DateTime Parse(const std::string& text) {
  return CallLibrary(ToDateTime, {TextSlot(text.c_str())});
}

std::string AsText(DateTime value, bool date_only = false) {
  OwnedText text(DateTimeToText(value, date_only));
  return text.get() != nullptr ? text.get() : "<null>";
}

double Interval(DateTime first, DateTime second, int32_t unit) {
  return CallLibrary(TimeInterval, {DateTimeSlot(first), DateTimeSlot(second), IntSlot(unit)});
}

TEST(ParseDateTimeText, FixedPointsOfTheDayCount) {
  EXPECT_EQ(Parse("1970-01-01 08:00:00"), 25569.333333333332);
  EXPECT_EQ(Parse("1899-12-30"), 0.0);
  EXPECT_EQ(Parse("1900-01-01"), 2.0);
  EXPECT_EQ(Parse("1899-12-29 06:00:00"), -1.25);
  EXPECT_EQ(Parse("0100-01-01"), kInvalidDateTime);  // a real date equal to the invalid one
}

TEST(ParseDateTimeText, EveryFormReadsTheSameMoment) {
  const double moment = kJan15 + 37230 * kOneSecond;  // 10:20:30
  for (const std::string& text : std::vector<std::string>{
           "2024-01-15 10:20:30", "2024/1/15 10:20:30", "2024.01.15.10.20.30",
           "2024-01-15-10-20-30", "2024-01-15 10/20/30", "2024-01-15 10:20:30:", "20240115102030",
           Cn("2024Y1M15D10h20m30s")})
    EXPECT_EQ(Parse(text), moment) << text;
  EXPECT_EQ(Parse("2024/1/5 8:05"), kJan5 + (8 * 3600 + 5 * 60) * kOneSecond);
  // Missing time parts are 0.
  for (const std::string& text :
       std::vector<std::string>{"2024.01.15", "20240115", Cn("2024Y1M15D"), "2024-01-15 ",
                                "2024-01-15 10:", "202401151"})
    EXPECT_EQ(std::floor(Parse(text)), kJan15) << text;
  EXPECT_EQ(Parse("2024-01-15 10:"), kJan15 + 36000 * kOneSecond);
  EXPECT_EQ(Parse("2024-1-5"), kJan5);  // 8 bytes, the shortest text
  // Odd compact length: one digit for the last part (hour 1).
  EXPECT_EQ(Parse("202401151"), kJan15 + 3600 * kOneSecond);
  EXPECT_EQ(CalendarDate(Parse("99-01-01")).year, 99);
}

TEST(ParseDateTimeText, CalendarChecks) {
  EXPECT_NE(Parse("2024-02-29"), kInvalidDateTime);
  EXPECT_NE(Parse("2000-02-29"), kInvalidDateTime);
  for (const std::string& text : std::vector<std::string>{
           "2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01-00",
           "2024-01-15 24:00:00", "2024-01-15 10:60:00", "2024-01-15 10:20:60", "0000-01-01",
           "99999999999-01-01"})
    EXPECT_EQ(Parse(text), kInvalidDateTime) << text;
}

TEST(ParseDateTimeText, RejectedShapes) {
  for (const std::string& text :
       std::vector<std::string>{"24-1-5",                   // under 8 bytes
                                " 2024-01-15",              // leading blank
                                "2024-01/15",               // mixed separators
                                Cn("2024Y1M15D 10:20:30"),  // Chinese date, ASCII time
                                Cn("2024-01-15 10h"),       // ASCII date, Chinese mark
                                Cn("Y2024-01-15"),          // starts with a lead byte
                                Cn("2024M01Y15"),           // markers out of turn
                                Cn("2024Y1M15\xC8"),        // lone lead byte at the end
                                "2024-011",                 // stops after the month
                                Cn("2024Y12M"),             // stops after the month
                                "2024-01-15 10:20:30:45",   // past the sixth part
                                Cn("2024Y1M1D1h1m1s1"),     // past the sixth part
                                "202401151020301",          // 15 digits
                                "2024_01_15", "abcdefghij"})
    EXPECT_EQ(Parse(text), kInvalidDateTime) << text;
  DateTime value = 1;
  EXPECT_FALSE(ParseDateTimeText(nullptr, &value));
  EXPECT_EQ(value, kInvalidDateTime);
}

TEST(ToDateTime, NumbersPassThroughOtherTypesAreInvalid) {
  EXPECT_EQ(CallLibrary(ToDateTime, {DoubleSlot(2.5)}), 2.5);
  EXPECT_EQ(CallLibrary(ToDateTime, {DateTimeSlot(-1.25)}), -1.25);
  int64_t bits = 0x4004000000000000;  // the double 2.5
  EXPECT_EQ(CallLibrary(ToDateTime, {Int64Slot(bits)}), 2.5);
  for (ArgSlot slot : {IntSlot(3), BoolSlot(true), OmittedSlot(), BytesSlot(&EmptyBytes)})
    EXPECT_EQ(CallLibrary(ToDateTime, {slot}), kInvalidDateTime);
  EXPECT_EQ(ToDateTime(0, nullptr), kInvalidDateTime);
}

TEST(CalendarDate, AgreesWithDateTimeFromPartsAcrossTheCalendar) {
  // Forward from 1900 and backward from 1899 must meet without a gap, through
  // every leap rule (the years 0, 100, 400, 1900, 2000 included).
  for (double day = -800000; day <= 3000000; day += 7) {
    CalendarDay date = CalendarDate(day);
    ASSERT_EQ(DateTimeFromParts(date.year, date.month, date.day, 0, 0, 0), day)
        << date.year << "-" << date.month << "-" << date.day;
  }
  CalendarDay first = CalendarDate(kInvalidDateTime);
  EXPECT_EQ(first.year * 10000 + first.month * 100 + first.day, 1000101);
  CalendarDay before = CalendarDate(-1);
  EXPECT_EQ(before.year * 10000 + before.month * 100 + before.day, 18991229);
  EXPECT_EQ(CalendarDate(std::nan("")).month, 0);
  EXPECT_EQ(CalendarDate(1e300).month, 0);
}

TEST(DateTimeToText, DateThenTheTimeAsFarAsItIsNotZero) {
  EXPECT_EQ(AsText(0), Cn("1899Y12M30D"));
  EXPECT_EQ(AsText(2.5), Cn("1900Y1M1D12h"));
  EXPECT_EQ(AsText(kJan15 + 37230 * kOneSecond), Cn("2024Y1M15D10h20m30s"));
  EXPECT_EQ(AsText(kJan15 + 37200 * kOneSecond), Cn("2024Y1M15D10h20m"));
  EXPECT_EQ(AsText(kJan15 + 37230 * kOneSecond, true), Cn("2024Y1M15D"));
  EXPECT_EQ(AsText(-1.25), Cn("1899Y12M29D6h"));
  // A fraction that rounds up to a whole day is hour 24.
  EXPECT_EQ(AsText(0.999999999), Cn("1899Y12M30D24h"));
  EXPECT_EQ(AsText(std::nan("")), "<null>");
  EXPECT_EQ(AsText(-INFINITY), "<null>");
}

TEST(DateTimeToText, EveryYearATextCanNameHasItsDate) {
  // Years beyond 1.9 billion once gave no text at all.
  EXPECT_EQ(AsText(Parse("2020120154.2.4"), true), Cn("2020120154Y2M4D"));
  DateTime last = Parse("2147483647-12-31");
  ASSERT_NE(last, kInvalidDateTime);
  EXPECT_EQ(AsText(last), Cn("2147483647Y12M31D"));
  // A day later the year no longer fits 32 bits: no date.
  EXPECT_EQ(AsText(last + 1), "<null>");
  EXPECT_EQ(CalendarDate(last + 1).month, 0);
}

TEST(TimeInterval, UnitsOfTheDifference) {
  DateTime jan2 = Parse("1970-01-02 08:00:00");
  DateTime jan1 = Parse("1970-01-01 08:00:00");
  EXPECT_EQ(Interval(jan2, jan1, 8), 86400);
  EXPECT_EQ(Interval(jan2, jan1, 5), 1);
  EXPECT_EQ(Interval(jan2, jan1, 3), 0);
  EXPECT_EQ(Interval(jan2, jan1, 4), 0);  // both in week 3653
  EXPECT_EQ(Interval(Parse("2024-01-14"), Parse("2024-01-13"), 4), 1);
  EXPECT_EQ(Interval(Parse("2024-01-20"), Parse("2024-01-14"), 4), 0);
  EXPECT_EQ(Interval(Parse("2024-02-01"), Parse("2024-01-31"), 3), 1);
  EXPECT_EQ(Interval(Parse("2024-02-01"), Parse("2024-01-31"), 1), 0);
  EXPECT_EQ(Interval(Parse("2024-05-01"), Parse("2024-01-01"), 2), 2);
  EXPECT_EQ(Interval(Parse("2024-04-01"), Parse("2024-01-01"), 2), 1);
  EXPECT_EQ(Interval(Parse("2024-01-01"), Parse("2024-02-01"), 2), -1);  // never the wrong sign
  EXPECT_EQ(Interval(Parse("2024-01-01"), Parse("2024-05-01"), 2), -2);
  EXPECT_EQ(Interval(Parse("2025-03-01"), Parse("2024-01-01"), 1), 1);
  EXPECT_EQ(Interval(kJan15 + 0.5, kJan15, 6), 12);
  EXPECT_EQ(Interval(kJan15 + 0.5, kJan15, 7), 720);
  // Swapping the arguments turns the sign of every unit but weeks.
  DateTime a = Parse("2025-03-01 06:30:00");
  DateTime b = Parse("2023-11-20 17:45:10");
  for (int32_t unit : {1, 2, 3, 5, 6, 7, 8}) EXPECT_EQ(Interval(a, b, unit), -Interval(b, a, unit));
  for (int32_t unit : {0, 9, -1}) EXPECT_EQ(Interval(a, b, unit), 0);
}

TEST(CurrentTime, LocalClockToTheSecond) {
  platform::Api api = platform::NativeApi();
  api.GetLocalTime = [](platform::SYSTEMTIME* t) {
    *t = platform::SYSTEMTIME{1970, 1, 4, 1, 8, 0, 0, 999};
  };
  platform::ScopedApi use(api);
  EXPECT_EQ(CurrentTime(0, nullptr), 25569.333333333332);
}

}  // namespace

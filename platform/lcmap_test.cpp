// What the program relies on from LCMapStringA (half-width mapping for the
// Chinese PRC locale, code page 936) and from GetLocalTime.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace {

constexpr platform::DWORD kChinesePrc = 0x0804;

// Maps `source` (without its NUL) into a buffer of `room` bytes.
std::string HalfWidth(const std::string& source, int room = 64) {
  std::string out(static_cast<size_t>(room), '\0');
  int n = platform::Os().LCMapStringA(kChinesePrc, platform::LCMAP_HALFWIDTH, source.data(),
                                      static_cast<int>(source.size()), out.data(), room);
  out.resize(static_cast<size_t>(n > 0 ? n : 0));
  return out;
}

TEST(LCMapHalfWidth, FullWidthFormsBecomeAscii) {
  // Full-width digits, letters, signs and solidus; the ideographic space.
  EXPECT_EQ(HalfWidth("\xA3\xB1\xA3\xB2\xA3\xB3"), "123");
  EXPECT_EQ(HalfWidth("\xA3\xC1\xA3\xFA\xA3\xAB\xA3\xAD\xA3\xAF"), "Az+-/");
  EXPECT_EQ(HalfWidth("\xA3\xA1\xA3\xFD"), "!}");  // ends of U+FF01..U+FF5E
  EXPECT_EQ(HalfWidth("\xA1\xA1x\xA1\xA1"), " x ");
}

TEST(LCMapHalfWidth, OtherCharactersKeepTheirBytes) {
  EXPECT_EQ(HalfWidth("C:\\Program Files\\a.exe"), "C:\\Program Files\\a.exe");
  // Chinese characters have no half-width form and stay as they are.
  EXPECT_EQ(HalfWidth("\xD6\xD0\xA3\xB1\xCE\xC4"), "\xD6\xD0\x31\xCE\xC4");
}

TEST(LCMapHalfWidth, HalfWidthFormsOutsideCodePage936BecomeTheDefaultCharacter) {
  // Katakana a, and ga (ka followed by the voiced sound mark).
  EXPECT_EQ(HalfWidth("\xA5\xA2"), "?");
  EXPECT_EQ(HalfWidth("\xA5\xAC"), "??");
  // Ideographic full stop and corner brackets.
  EXPECT_EQ(HalfWidth("\xA1\xA3\xA1\xB8\xA1\xB9"), "???");
}

TEST(LCMapHalfWidth, LengthsAndBufferSizes) {
  const platform::Api& os = platform::Os();
  char out[8] = {};
  // Destination size 0 asks for the size needed.
  EXPECT_EQ(
      os.LCMapStringA(kChinesePrc, platform::LCMAP_HALFWIDTH, "\xA3\xB1\xA3\xB2", 4, nullptr, 0),
      2);
  // A destination too small fails.
  EXPECT_EQ(os.LCMapStringA(kChinesePrc, platform::LCMAP_HALFWIDTH, "abcd", 4, out, 2), 0);
  // Length -1 maps through the NUL and counts it.
  EXPECT_EQ(
      os.LCMapStringA(kChinesePrc, platform::LCMAP_HALFWIDTH, "\xA3\xB1x", -1, out, sizeof out), 3);
  EXPECT_EQ(std::string(out, 3), std::string("1x\0", 3));
  // An empty source fails.
  EXPECT_EQ(os.LCMapStringA(kChinesePrc, platform::LCMAP_HALFWIDTH, "ab", 0, out, sizeof out), 0);
  // A lead byte cut off at the end becomes the default character.
  EXPECT_EQ(HalfWidth("a\xA3"), "a?");
}

TEST(LCMapHalfWidth, LongTextsMapWhole) {
  // Far longer than any conversion buffer, with pairs across every boundary
  // in one text or the other; a cut-off lead byte still ends each.
  for (const std::string& head : {std::string(), std::string("a")}) {
    std::string source = head, expected = head;
    for (int i = 0; i < 100000; ++i) {
      source += "\xA3\xB1\xD6\xD0";
      expected += "1\xD6\xD0";
    }
    source += "\xA3";
    expected += "?";
    EXPECT_EQ(HalfWidth(source, static_cast<int>(source.size())), expected);
  }
}

// Day of the week (0 = Sunday) of a Gregorian date.
int DayOfWeek(int year, int month, int day) {
  static const int kOffset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffset[month - 1] + day) % 7;
}

TEST(LocalTime, FieldsAreAConsistentDateAndTime) {
  platform::SYSTEMTIME now{};
  platform::Os().GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2020);
  ASSERT_GE(now.wMonth, 1);
  ASSERT_LE(now.wMonth, 12);
  EXPECT_GE(now.wDay, 1);
  EXPECT_LE(now.wDay, 31);
  EXPECT_LE(now.wHour, 23);
  EXPECT_LE(now.wMinute, 59);
  EXPECT_LE(now.wSecond, 59);
  EXPECT_LE(now.wMilliseconds, 999);
  EXPECT_EQ(now.wDayOfWeek, DayOfWeek(now.wYear, now.wMonth, now.wDay));

  platform::SYSTEMTIME later{};
  platform::Os().GetLocalTime(&later);
  auto stamp = [](const platform::SYSTEMTIME& t) {
    return ((((t.wYear * 13LL + t.wMonth) * 32 + t.wDay) * 24 + t.wHour) * 60 + t.wMinute) *
               60000LL +
           t.wSecond * 1000LL + t.wMilliseconds;
  };
  EXPECT_GE(stamp(later), stamp(now));
}

}  // namespace

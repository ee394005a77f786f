// Code pages 936 (GBK, the system's: 0) and 65001 (UTF-8); half-width forms.
#include <gtest/gtest.h>

#include "platform/platform.h"

using namespace platform;

static const Api& os = NativeApi();

TEST(CodePages, BothWaysWithSizeQueriesAndStandInsForWhatIsMissingOrMalformed) {
  WCHAR wide[16] = {};
  char bytes[16] = {};
  BOOL used = 7;
  EXPECT_TRUE(os.MultiByteToWideChar(936, 0, "\xD6\xD0", -1, nullptr, 0) == 2 &&  // NUL too
              !os.MultiByteToWideChar(936, 0, "\xD6\xD0", -1, wide, 1) &&         // too small
              !os.MultiByteToWideChar(936, 0, "a", 0, wide, 16));
  const std::tuple<UINT, std::string, std::u16string> cases[] = {
      {936, std::string("a\xD6\xD0\0", 4), std::u16string(u"a\u4E2D\0", 3)},
      {936, "a\xA3", u"a?"},  // a lead byte cut off at the end
      {65001, "\xE4\xB8\xAD\377b\xC3(", u"\u4E2D\uFFFDb\uFFFD("}};  // malformed
  for (const auto& [code_page, text, expected] : cases) {
    const int n = os.MultiByteToWideChar(code_page, 0, text.data(), int(text.size()), wide, 16);
    EXPECT_EQ(std::u16string(wide, n > 0 ? n : 0), expected) << text;
  }
  // A pair GBK lacks is one character, whatever it becomes: the next keeps its bytes.
  EXPECT_TRUE(os.MultiByteToWideChar(936, 0, "\xA2\xA0\xA3\xDC", 4, wide, 16) == 2 &&
              wide[1] == u'\uFF3C');
  EXPECT_TRUE(os.WideCharToMultiByte(936, 0, u"\u4E2D", -1, nullptr, 0, nullptr, nullptr) == 3 &&
              !os.WideCharToMultiByte(0, 0, u"\u4E2D", -1, bytes, 2, nullptr, nullptr));
  EXPECT_TRUE(os.WideCharToMultiByte(0, 0, u"\u4E2D", -1, bytes, 3, nullptr, &used) == 3 && !used);
  EXPECT_STREQ(bytes, "\xD6\xD0");
  // é is in GBK, Thai ko kai is not, nor either half of a surrogate pair.
  const char16_t* outside = u"a\u00E9\u0E01b\U0001F600";
  EXPECT_EQ(os.WideCharToMultiByte(936, 0, outside, -1, bytes, 16, nullptr, &used), 8);
  EXPECT_TRUE(bytes == std::string("a\xA8\xA6?b??") && used);
  const WCHAR empty_first[] = {0, u'x', 0};
  EXPECT_TRUE(os.lstrlenW(empty_first) == 0 && os.lstrlenW(u"\u4E2Db") == 2);
}

static std::string HalfWidth(const std::string& source, int room = 64) {
  std::string out(size_t(room), '\0');
  const int n = os.LCMapStringA(kLocaleChinesePrc, LCMAP_HALFWIDTH, source.data(),
                                int(source.size()), out.data(), room);
  return out.substr(0, size_t(n > 0 ? n : 0));
}

TEST(CodePages, HalfWidthFormsAsCodePage936HasThem) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xA3\xA1\xA3\xB1\xA3\xC1\xA3\xFA\xA3\xFD\xA3\xDC", "!1Az}\xA3\xDC"},  // the wide \ stays
      {"\xD6\xD0\xA5\xEE", "\xD6\xD0\xA5\xEE"},  // without half-width forms
      // Katakana a, ga, du, pa (base and sound mark), full stop, bracket: not in 936.
      {"\xA5\xA2\xA5\xAC\xA5\xC5\xA5\xD1\xA1\xA3\xA1\xB8", "?????????"},
      {std::string("\xA3\xB1\0a\xA3", 5), std::string("1\0a?", 4)}};  // a lead byte cut off
  for (const auto& [source, expected] : cases) EXPECT_EQ(HalfWidth(source), expected) << source;
  EXPECT_EQ(os.LCMapStringA(kLocaleChinesePrc, LCMAP_HALFWIDTH, "\xA3\xB1", -1, nullptr, 0), 2);
  EXPECT_EQ(HalfWidth("abcd", 3) + HalfWidth(""), "");   // too small; nothing to map
  EXPECT_EQ(HalfWidth("\xA2\xA0\xA3\xB1").back(), '1');  // after a pair GBK lacks
}

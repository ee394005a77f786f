// Code pages 936 (GBK, the system's: 0) and 65001 (UTF-8); half-width forms.
#include "platform/gbk.h"
#include "testing/conformance.h"

TEST(CodePages, BothWaysWithSizeQueriesAndStandInsForWhatIsMissingOrMalformed) {
  WCHAR wide[16] = {};
  char bytes[16] = {};
  EXPECT_EQ(os.MultiByteToWideChar(936, 0, "\xD6\xD0", -1, nullptr, 0), 2);  // NUL too
  EXPECT_EQ(os.MultiByteToWideChar(936, 0, "\xD6\xD0", -1, wide, 1), 0);     // too small
  EXPECT_EQ(os.MultiByteToWideChar(936, 0, "a", 0, wide, 16), 0);
  EXPECT_EQ(os.MultiByteToWideChar(65001, MB_ERR_INVALID_CHARS, "\xC3\xA4\xFF", 3, wide, 16), 0);
  const std::tuple<UINT, std::string, std::u16string> cases[] = {
      // 0, the system's: single bytes 0x80 and 0xFF, private use, the first pair.
      {0, "\x80\xFF\xAA\xA1\xFE\xFE\x81\x40", u"\u20AC\uF8F5\uE000\uE4C5\u4E02"},
      // A lead byte takes the byte after it, but NUL, into one character.
      {936, std::string("\x81\0a\xA3", 4), std::u16string(u"?\0a?", 4)},  // cut off at the end
      {65001, "\xE4\xB8\xAD\377b\xC3(\xE0\xA0\x80\xC2\xA9", u"\u4E2D\uFFFDb\uFFFD(\u0800\u00A9"},
      // Overlong, surrogate, beyond U+10FFFF, then a pair of surrogates.
      {65001, "\xC0\x80\xE0\x80\x80\xED\xA0\x80\xF4\x90\x80\xF4\x8F\xBF\xBF",
       u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\U0010FFFF"}};
  for (const auto& [code_page, text, expected] : cases) {
    const int n = os.MultiByteToWideChar(code_page, 0, text.data(), int(text.size()), wide, 16);
    EXPECT_EQ(std::u16string(wide, n > 0 ? n : 0), expected) << text;
  }
  EXPECT_EQ(os.WideCharToMultiByte(936, 0, u"\u4E2D", -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(os.WideCharToMultiByte(0, 0, u"\u4E2D", -1, bytes, 2, nullptr, nullptr), 0);
  EXPECT_EQ(os.WideCharToMultiByte(936, 1, u"a", 1, bytes, 2, nullptr, nullptr), 0);  // no flag 1
  // Thai ko kai is not in GBK, nor either half of a surrogate pair; the cent
  // sign is written as the full-width one unless look-alikes are refused.
  const std::tuple<UINT, DWORD, std::u16string, std::string, BOOL> back[] = {
      {936, 0, u"a\u00E9\u0E01b\U0001F600", "a\xA8\xA6?b??", 1},
      {0, 0, u"\u20AC\uF8F5\uE000\u00A2\u00A6", "\x80\xFF\xAA\xA1\xA1\xE9|", 0},
      {936, WC_NO_BEST_FIT_CHARS, u"\u00A2\u00A6\u4E2D", "??\xD6\xD0", 1},
      {65001, 0, u"\xDFFF\U0001F600\xD800\x80\U00010000",
       "\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD\xC2\x80\xF0\x90\x80\x80",
       0}};  // UTF-8 takes no default character, nor a flag for it
  for (const auto& [code_page, flags, text, expected, defaulted] : back) {
    BOOL used = 0;
    const int n = os.WideCharToMultiByte(code_page, flags, text.data(), int(text.size()), bytes, 16,
                                         nullptr, code_page == 65001 ? nullptr : &used);
    EXPECT_EQ(std::string(bytes, n > 0 ? n : 0), expected);
    EXPECT_EQ(used, defaulted) << expected;
  }
  // The count ends the text: a high surrogate last in it stays alone.
  EXPECT_EQ(os.WideCharToMultiByte(65001, 0, u"a\xD800\xDC00", 2, bytes, 16, nullptr, nullptr), 4);
  const WCHAR empty_first[] = {0, u'x', 0};
  EXPECT_EQ(os.lstrlenW(empty_first) + os.lstrlenW(nullptr), 0);
  EXPECT_EQ(os.lstrlenW(u"\u4E2Db"), 2);
}

// Every one- and two-byte sequence and every UTF-16 unit as the table has
// them: under Wine, its own conversion against the table.
TEST(CodePages, Gbk936AsTheTableHasIt) {
  unsigned char gbk[3] = {};
  char* bytes = reinterpret_cast<char*>(gbk);
  WCHAR wide[3] = {};
  for (unsigned pair = 0; pair < 0x10000; ++pair) {
    const unsigned char s[2] = {uint8_t(pair >> 8), uint8_t(pair)};
    const std::u16string expected =
        gbk::CharLength(s, 2) == 2 ? std::u16string{gbk::ToUnicode(s, 2)}
                                   : std::u16string{gbk::ToUnicode(s, 1), gbk::ToUnicode(s + 1, 1)};
    const int n = os.MultiByteToWideChar(936, 0, reinterpret_cast<const char*>(s), 2, wide, 3);
    ASSERT_EQ(std::u16string(wide, n > 0 ? n : 0), expected) << pair;
    const auto unit = static_cast<WCHAR>(pair);
    for (bool best_fit : {true, false}) {
      const size_t length = gbk::FromUnicode(unit, best_fit, gbk);
      const std::string expected_bytes = length > 0 ? std::string(bytes, length) : "?";
      const int k = os.WideCharToMultiByte(936, best_fit ? 0 : WC_NO_BEST_FIT_CHARS, &unit, 1,
                                           bytes, 3, nullptr, nullptr);
      ASSERT_EQ(std::string(bytes, k > 0 ? k : 0), expected_bytes) << pair;
    }
  }
}

static std::string HalfWidth(const std::string& source, int room = 64) {
  std::string out(size_t(room), '\0');
  const int n = os.LCMapStringA(kLocaleChinesePrc, LCMAP_HALFWIDTH, source.data(),
                                int(source.size()), out.data(), room);
  return out.substr(0, size_t(n > 0 ? n : 0));
}

TEST(CodePages, HalfWidthFormsAsCodePage936HasThem) {
  const std::pair<std::string, std::string> cases[] = {
      // The wide \ stays, and so does what has no half-width form.
      {"\xA3\xA1\xA3\xB1\xA3\xC1\xA3\xFA\xA3\xFD\xA3\xDC\xD6\xD0", "!1Az}\xA3\xDC\xD6\xD0"},
      {"\xA1\xA3\xA1\xB8\xA9\x63\xA9\x64", "??\xA9\x63\xA9\x63?"},    // stop, bracket, marks
      {std::string("\xA3\xB1\0a\xA3", 5), std::string("1\0a?", 4)}};  // a lead byte cut off
  for (const auto& [source, expected] : cases) EXPECT_EQ(HalfWidth(source), expected) << source;
  // Each katakana: 1 or 2 for that many "?" (a voiced one: base and mark), k when kept.
  std::string row;
  for (char trail = '\xA1'; trail != '\xF7'; ++trail) {
    const std::string letter = {'\xA5', trail}, half = HalfWidth(letter);
    row += half == letter ? 'k' : char('0' + half.size());
  }
  EXPECT_EQ(row,
            "1111111111121212121212121212121212112121211111122122122122122111111111111111"
            "1k1kk112kk");
  EXPECT_EQ(os.LCMapStringA(kLocaleChinesePrc, LCMAP_HALFWIDTH, "\xA3\xB1", -1, nullptr, 0), 2);
  EXPECT_EQ(HalfWidth("abcd", 3) + HalfWidth(""), "");  // too small; nothing to map
  EXPECT_EQ(os.LCMapStringA(kLocaleChinesePrc, LCMAP_HALFWIDTH, "a", 1, nullptr, 4), 0);
  EXPECT_EQ(HalfWidth("\xA2\xA0\xA3\xB1").back(), '1');  // after a pair GBK lacks
}

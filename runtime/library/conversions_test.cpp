#include "runtime/library/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/testing/fake_system.h"

namespace {

// A result text, "" for the empty text (which must be null).
std::string Take(Text text) {
  OwnedText owned(text);
  EXPECT_TRUE(text == nullptr || text[0] != 0) << "the empty text is null";
  return TextOrEmpty(text);
}

TEST(ToText, NumbersTruthValuesTextsBytesAndArrays) {
  fake::FakeSystem system;
  const int32_t ints[] = {2, 1, 2, 0x44434241, 0x48474645, 0x4C4B4A49, 0x504F4E4D};  // 1 by 2
  const int32_t bytes[] = {1, 4, 0x43004241};                                        // 41 42 00 43
  // clang-format off
  const std::pair<ArgSlot, std::string> cases[] = {{ShortSlot(7), "7"},
      {ArgSlot{0x1234FFFF, 0, TAG_SHORT}, "-1"}, {ArgSlot{0x1C8, 0, TAG_BYTE}, "200"},
      {Int64Slot(INT64_MIN), "-9223372036854775808"}, {DoubleSlot(100), "100"},
      {DoubleSlot(1234567.891), "1234567.891"}, {DoubleSlot(0.0000001), "0"},
      {FloatSlot(-2.5f), "-2.5"}, {DoubleSlot(-1.25e300), "-1.25e+300"}, {DoubleSlot(NAN), "nan"},
      {BoolSlot(true), "\xD5\xE6"}, {TextSlot("\xD6\xD0 a"), "\xD6\xD0 a"},
      {TextSlot(EmptyText), ""}, {BytesSlot(reinterpret_cast<Bytes>(bytes)), "AB"},
      {PointerSlot(TAG_ARRAY | TAG_INT, ints), "ABCDEFGH"},
      {PointerSlot(TAG_ARRAY | TAG_INT64, ints), "ABCDEFGHIJKLMNOP"},
      {PointerSlot(TAG_ARRAY | TAG_DOUBLE, ints), ""}, {OmittedSlot(), ""}};
  // clang-format on
  for (const auto& [slot, text] : cases) EXPECT_EQ(Take(CallLibrary(ToText, {slot})), text);
}

TEST(TrimBlanksToHalfWidthAndToInteger, TheTextsTheUserWrites) {
  fake::FakeSystem system;
  // clang-format off
  const std::pair<const char*, std::string> trimmed[] = {{"  \xA1\xA1\x61\x62 \xA1\xA1", "ab"},
      {"ab\t", "ab\t"}, {" C:\\a b\r\n", "C:\\a b\r\n"}, {" \xA1\xA1 ", ""},
      {"x\xB0\xA1\xA1\xA2 ", "x\xB0\xA1\xA1\xA2"}, {" ab\xA3", "ab\xA3"},
      {"\xA1\xA2x ", "\xA1\xA2x"}};
  const std::pair<const char*, std::string> half[] = {
      {"C\xA3\xBA\xA3\xDC\x61\xA3\xAF\x62", "C:\\a/b"}, {"\xA5\xA2", "?"}, {"", ""},
      {"\xA3\xAF\xD6\xD0\xA1\xA1\xA3\xB1", "/\xD6\xD0 1"}};
  const std::pair<ArgSlot, int32_t> integers[] = {{TextSlot("  42"), 42},
      {TextSlot("10"), 10}, {TextSlot("\t-13"), -13}, {TextSlot("4294967297"), 1},
      {TextSlot("12.9"), 12}, {TextSlot("\xA3\xB1\xA3\xB0"), 10},
      {TextSlot("\xA1\xA1\xA3\xAD\xA3\xB5"), -5}, {TextSlot("\xD6\xD0\x35"), 0},
      {DoubleSlot(-2.9), -2}, {DoubleSlot(3e9), -1294967296}, {DoubleSlot(NAN), 0},
      {ArgSlot{0xFFFF, 0, TAG_SHORT}, -1}, {DateTimeSlot(2.5), 0}};
  // clang-format on
  for (const auto& [text, result] : trimmed)
    EXPECT_EQ(Take(CallLibrary(TrimBlanks, {TextSlot(text)})), result);
  for (const auto& [text, result] : half)
    EXPECT_EQ(Take(CallLibrary(ToHalfWidth, {TextSlot(text)})), result);
  for (const auto& [slot, value] : integers) EXPECT_EQ(CallLibrary(ToInteger, {slot}), value);
}

TEST(ReplaceAll, MatchesAtCharacterBoundariesOnlyAndARefusedHeapChangesNothing) {
  fake::FakeSystem system;
  // clang-format off
  const struct { const char *text, *find, *by; bool replaced; std::string result; } cases[] = {
      {"a\xA3\xAF\x62\xA3\xAF", "\xA3\xAF", "/", true, "a/b/"},
      {"abab", "ab", "xyz", true, "xyzxyz"},
      {"\xB0\xA3\xAF\xA1", "\xA3\xAF", "/", false, "\xB0\xA3\xAF\xA1"},
      {"\xA3\xAF\xA3\xAF", "\xA3\xAF", "", true, ""}, {"x/\xA3", "/", "--", true, "x--\xA3"},
      {"abc", "", "x", false, "abc"}, {"ab", "abc", "x", false, "ab"}};
  // clang-format on
  for (const auto& c : cases) {
    Text value = TextFromBuffer(c.text, static_cast<int32_t>(std::strlen(c.text)));
    EXPECT_EQ(ReplaceAll(&value, c.find, c.by, true), c.replaced) << c.text;
    EXPECT_EQ(Take(value), c.result);
  }
  // The first append takes the first allocation, a tail of 200 bytes the second.
  static const std::string kText = "/" + std::string(200, 't');
  for (int allowed : {0, 1}) {
    system.heap_allows = allowed;
    EXPECT_TRUE(system.Run([] {
      Text value = kText.c_str();
      EXPECT_FALSE(ReplaceAll(&value, "/", "x", false));
      EXPECT_EQ(value, kText.c_str());
    }));
  }
  EXPECT_TRUE(system.boxes.empty());
}

}  // namespace

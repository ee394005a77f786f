#include "runtime/library/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "runtime/core/memory.h"
#include "runtime/core/test_support.h"

namespace {

// Takes a result text: its bytes, or "<null>" for the empty text.
std::string Take(Text text) {
  OwnedText owned(text);
  if (text == nullptr) return "<null>";
  EXPECT_NE(text[0], 0) << "an empty result must be null";
  return text;
}

std::string AsText(ArgSlot slot) { return Take(CallLibrary(ToText, {slot})); }
std::string Trimmed(const char* text) { return Take(CallLibrary(TrimBlanks, {TextSlot(text)})); }
std::string HalfWidth(const char* text) { return Take(CallLibrary(ToHalfWidth, {TextSlot(text)})); }
int32_t Integer(ArgSlot slot) { return CallLibrary(ToInteger, {slot}); }
int32_t Integer(const char* text) { return Integer(TextSlot(text)); }

std::string Trim(std::string number) {
  TrimFraction(number.data());
  number.resize(std::strlen(number.c_str()));
  return number;
}

// An array block of int32 elements: dimension count, sizes, then the data.
std::vector<int32_t> Block(std::vector<int32_t> sizes, std::vector<int32_t> data) {
  std::vector<int32_t> block{static_cast<int32_t>(sizes.size())};
  block.insert(block.end(), sizes.begin(), sizes.end());
  block.insert(block.end(), data.begin(), data.end());
  return block;
}

TEST(ToText, Integers) {
  EXPECT_EQ(AsText(IntSlot(-7)), "-7");
  EXPECT_EQ(AsText(ByteSlot(200)), "200");
  EXPECT_EQ(AsText(ArgSlot{0x1234FFFF, 0, TAG_SHORT}), "-1");  // low 16 bits only
  EXPECT_EQ(AsText(ArgSlot{0x1C8, 0, TAG_BYTE}), "200");       // low 8 bits only
  EXPECT_EQ(AsText(Int64Slot(int64_t{1} << 40)), "1099511627776");
  EXPECT_EQ(AsText(Int64Slot(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(AsText(IntSlot(0)), "0");
}

TEST(ToText, FixedPointWithoutTrailingZeros) {
  EXPECT_EQ(AsText(DoubleSlot(3.14159265)), "3.141593");
  EXPECT_EQ(AsText(DoubleSlot(1e20)), "100000000000000000000");
  EXPECT_EQ(AsText(DoubleSlot(0.0000001)), "0");
  EXPECT_EQ(AsText(DoubleSlot(2.5)), "2.5");
  EXPECT_EQ(AsText(DoubleSlot(-0.5)), "-0.5");
  EXPECT_EQ(AsText(FloatSlot(2.5f)), "2.5");
  EXPECT_EQ(AsText(DoubleSlot(1234567.891)), "1234567.891");
  // Just below the limit the fixed text (259 bytes before trimming) still fits.
  EXPECT_EQ(AsText(DoubleSlot(-9.9e250)).size(), 252u);
}

TEST(ToText, ValuesBeyondFixedPointNaNAndInfinity) {
  EXPECT_EQ(AsText(DoubleSlot(1e251)), "1e+251");
  EXPECT_EQ(AsText(DoubleSlot(-1.25e300)), "-1.25e+300");
  EXPECT_EQ(AsText(DoubleSlot(1.7976931348623157e308)), "1.797693e+308");
  EXPECT_EQ(AsText(DoubleSlot(std::nan(""))), "nan");
  EXPECT_EQ(AsText(DoubleSlot(-std::nan(""))), "nan");
  EXPECT_EQ(AsText(DoubleSlot(INFINITY)), "inf");
  EXPECT_EQ(AsText(FloatSlot(-INFINITY)), "-inf");
}

TEST(TrimFraction, OnlyTheFractionIsShortened) {
  EXPECT_EQ(Trim("2.500000"), "2.5");
  EXPECT_EQ(Trim("100.000000"), "100");
  EXPECT_EQ(Trim("0.000000"), "0");
  EXPECT_EQ(Trim("-0.500000"), "-0.5");
  EXPECT_EQ(Trim("7."), "7");
  EXPECT_EQ(Trim("000"), "000");
  EXPECT_EQ(Trim("100"), "100");  // no point: integer digits stay
  EXPECT_EQ(Trim(""), "");
}

TEST(ToText, TruthValuesTextsBytesAndOtherTags) {
  EXPECT_EQ(AsText(BoolSlot(true)), "\xD5\xE6");
  EXPECT_EQ(AsText(ArgSlot{2, 0, TAG_BOOL}), "\xD5\xE6");
  EXPECT_EQ(AsText(BoolSlot(false)), "\xBC\xD9");

  const char text[] = "\xD6\xD0 a";
  Text copy = CallLibrary(ToText, {TextSlot(text)});
  EXPECT_NE(copy, text);
  EXPECT_EQ(Take(copy), text);
  EXPECT_EQ(AsText(TextSlot(EmptyText)), "<null>");

  const int32_t with_nul[] = {1, 4, 0x43004241};  // bytes 41 42 00 43
  EXPECT_EQ(AsText(BytesSlot(reinterpret_cast<Bytes>(with_nul))), "AB");
  const int32_t no_nul[] = {1, 2, 0x00004241};  // bytes 41 42 (then padding)
  EXPECT_EQ(AsText(BytesSlot(reinterpret_cast<Bytes>(no_nul))), "AB");
  EXPECT_EQ(AsText(BytesSlot(&EmptyBytes)), "<null>");

  for (ArgSlot other : {OmittedSlot(), ArgSlot{0, 0, 0x80000007}, ArgSlot{5, 0, 0x40000301}})
    EXPECT_EQ(AsText(other), "<null>");
  // 1900-01-01 12:00, with the markers of year, month, day and hour.
  EXPECT_EQ(AsText(DateTimeSlot(2.5)),
            std::string("1900\xC4\xEA") + "1\xD4\xC2" + "1\xC8\xD5" + "12\xCA\xB1");
}

TEST(ToText, ArraysByElementWidth) {
  // Two by two 32-bit integers: 16 bytes "ABCDEFGHIJKLMNOP".
  auto ints = Block({2, 2}, {0x44434241, 0x48474645, 0x4C4B4A49, 0x504F4E4D});
  EXPECT_EQ(AsText(PointerSlot(TAG_ARRAY | TAG_INT, ints.data())), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(AsText(PointerSlot(TAG_ARRAY | TAG_SHORT, ints.data())), "ABCDEFGH");
  EXPECT_EQ(AsText(PointerSlot(TAG_ARRAY | TAG_BYTE, ints.data())), "ABCD");
  auto longs = Block({2}, {0x44434241, 0x48474645, 0x4C4B4A49, 0x504F4E4D});
  EXPECT_EQ(AsText(PointerSlot(TAG_ARRAY | TAG_INT64, longs.data())), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(AsText(PointerSlot(TAG_ARRAY | TAG_DOUBLE, longs.data())), "<null>");
  // A negative size gives no bytes at all.
  auto negative = Block({-2, 2}, {0x44434241});
  EXPECT_EQ(AsText(PointerSlot(TAG_ARRAY | TAG_INT, negative.data())), "<null>");
}

TEST(TrimBlanks, SpacesAndFullWidthSpacesOnly) {
  EXPECT_EQ(Trimmed("  \xA1\xA1"
                    "abc \xA1\xA1"),
            "abc");
  EXPECT_EQ(Trimmed("abc\t"), "abc\t");
  EXPECT_EQ(Trimmed(" C:\\a b.exe\r\n"), "C:\\a b.exe\r\n");
  EXPECT_EQ(Trimmed(" \xA1\xA1 \xA1\xA1"), "<null>");
  EXPECT_EQ(Trimmed(""), "<null>");
  // The pair A1 A1 is a blank only where a character starts: here it is the
  // second byte of one character and the first byte of the next.
  EXPECT_EQ(Trimmed("x\xB0\xA1\xA1\xA2 "), "x\xB0\xA1\xA1\xA2");
  EXPECT_EQ(Trimmed(" \xD6\xD0\xA1\xA1"), "\xD6\xD0");
  // A lead byte cut off by the end is kept; nothing past the NUL is read.
  EXPECT_EQ(Trimmed(" ab\xA3"), "ab\xA3");
  EXPECT_EQ(Trimmed("\xA1"), "\xA1");
}

TEST(ToInteger, TextsReadLikeAtolWithWrapAround) {
  struct Case {
    const char* text;
    int32_t value;
  };
  for (Case c : std::vector<Case>{{"  42", 42},
                                  {"+7", 7},
                                  {"-0", 0},
                                  {"", 0},
                                  {"\r\n", 0},
                                  {"\t\v\f-13", -13},
                                  {"2147483648", INT32_MIN},
                                  {"4294967297", 1},
                                  {"-2147483649", INT32_MAX},
                                  {"12.9", 12},
                                  {"0x1F", 0},
                                  {"1e3", 1},
                                  {"abc", 0},
                                  {" -42abc", -42},
                                  {"+-5", 0},
                                  {"\xA3\xB1\xA3\xB2", 12},  // full-width 12
                                  {"\xA1\xA1\xA3\xB3", 3},   // full-width space, 3
                                  {"\xA3\xAD\xA3\xB5", -5},  // full-width minus
                                  {"\xD6\xD0"
                                   "5",
                                   0}})  // a Chinese character
    EXPECT_EQ(Integer(c.text), c.value) << c.text;
}

TEST(ToInteger, NumbersAndOtherTags) {
  EXPECT_EQ(Integer(DoubleSlot(-2.9)), -2);
  EXPECT_EQ(Integer(DoubleSlot(3e9)), -1294967296);
  EXPECT_EQ(Integer(FloatSlot(7.75f)), 7);
  for (double bad : {std::nan(""), double{INFINITY}, -double{INFINITY}, 9.3e18, -0x1p63})
    EXPECT_EQ(Integer(DoubleSlot(bad)), 0) << bad;
  EXPECT_EQ(Integer(Int64Slot((int64_t{5} << 32) + 9)), 9);
  EXPECT_EQ(Integer(ArgSlot{0x1FF, 0, TAG_BYTE}), 255);
  EXPECT_EQ(Integer(ArgSlot{0xFFFF, 0, TAG_SHORT}), -1);
  EXPECT_EQ(Integer(BoolSlot(true)), 1);
  EXPECT_EQ(Integer(DateTimeSlot(2.5)), 0);
  EXPECT_EQ(Integer(BytesSlot(&EmptyBytes)), 0);
  EXPECT_EQ(Integer(ArgSlot{5, 0, TAG_ARRAY | TAG_INT}), 0);
  EXPECT_EQ(ToInteger(0, nullptr), 0);
}

TEST(ToHalfWidth, FullWidthFormsAndSolidi) {
  EXPECT_EQ(HalfWidth("C\xA3\xBA\xA3\xDC\x61\xA3\xAF\x62"), "C:\\a/b");
  EXPECT_EQ(HalfWidth("\xD6\xD0\xA1\xA1\xA3\xB1"), "\xD6\xD0 1");
  EXPECT_EQ(HalfWidth("\xA5\xA2"), "?");  // katakana without a code-page-936 half-width form
  EXPECT_EQ(HalfWidth(""), "<null>");
  const char argument[] = "\xA3\xAF\xA3\xDC";
  EXPECT_EQ(HalfWidth(argument), "/\\");
  EXPECT_STREQ(argument, "\xA3\xAF\xA3\xDC");  // the argument is left alone
}

TEST(ToHalfWidth, ReadsNoFurtherThanItsBuffer) {
  // A mapping that fills every byte of the destination leaves no NUL.
  platform::Api api = platform::NativeApi();
  api.LCMapStringA = [](platform::DWORD, platform::DWORD, const char*, int, char* out, int size) {
    std::memset(out, 'x', static_cast<size_t>(size));
    return size;
  };
  platform::ScopedApi use(api);
  EXPECT_EQ(HalfWidth("abc"), "xxxx");
}

// ReplaceAll on a copy of `text`; returns the outcome and the resulting text.
std::pair<bool, std::string> Replaced(const char* text, const char* find, const char* by) {
  Text value = TextFromBuffer(text, static_cast<int32_t>(std::strlen(text)));
  bool replaced = ReplaceAll(&value, find, by, true);
  return {replaced, Take(value)};
}

TEST(ReplaceAll, MatchesAtCharacterBoundariesOnly) {
  using Result = std::pair<bool, std::string>;
  EXPECT_EQ(Replaced("a\xA3\xAF"
                     "b\xA3\xAF",
                     "\xA3\xAF", "/"),
            Result(true, "a/b/"));
  // A3 AF here is the end of one character and the start of the next.
  EXPECT_EQ(Replaced("\xB0\xA3\xAF\xA1", "\xA3\xAF", "/"), Result(false, "\xB0\xA3\xAF\xA1"));
  EXPECT_EQ(Replaced("abab", "ab", "xyz"), Result(true, "xyzxyz"));
  EXPECT_EQ(Replaced("\xA3\xAF\xA3\xAF", "\xA3\xAF", ""), Result(true, "<null>"));
  EXPECT_EQ(Replaced("x/\xA3", "/", "--"), Result(true, "x--\xA3"));  // lone lead byte at the end
  EXPECT_EQ(Replaced("abc", "", "x"), Result(false, "abc"));          // nothing to find
  EXPECT_EQ(Replaced("ab", "abc", "x"), Result(false, "ab"));
}

int g_heap_allocations = 0;
bool g_refuse_heap = false;

platform::Api CountingHeap() {
  platform::Api api = platform::NativeApi();
  api.HeapAlloc = [](platform::HANDLE heap, platform::DWORD flags, size_t n) -> void* {
    ++g_heap_allocations;
    return g_refuse_heap ? nullptr : platform::NativeApi().HeapAlloc(heap, flags, n);
  };
  return api;
}

TEST(ReplaceAll, NoMatchCostsNoAllocationAndARefusedHeapChangesNothing) {
  static const char kText[] = "\xA3\xAF\xA3\xAF";
  auto run = testing_support::RunAsProgram(
      [] {
        Text value = kText;
        g_heap_allocations = 0;
        EXPECT_FALSE(ReplaceAll(&value, "\xA3\xDC", "\\", false));
        EXPECT_EQ(g_heap_allocations, 0);

        g_refuse_heap = true;
        EXPECT_FALSE(ReplaceAll(&value, "\xA3\xAF", "/", true));
        g_refuse_heap = false;
        EXPECT_EQ(value, kText);
      },
      CountingHeap());
  EXPECT_TRUE(run.body_finished);
  EXPECT_TRUE(run.boxes.empty());  // a refused growth shows no message
}

}  // namespace

#include "runtime/core/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/core/memory.h"

namespace {

// 中文 in GBK: two double-byte characters.
constexpr char kChinese[] = "\xD6\xD0\xCE\xC4";

std::string Take(Text text) {
  OwnedText owned(text);
  return text == nullptr ? std::string("<null>") : std::string(text);
}

TEST(TextTest, LengthCountsBytesBeforeTheNul) {
  EXPECT_EQ(TextLength(nullptr), 0u);
  EXPECT_EQ(TextLength(EmptyText), 0u);
  EXPECT_EQ(TextLength(kChinese), 4u);
}

TEST(TextTest, ConcatJoinsBytesAndNeverGivesNull) {
  Text empty = ConcatTexts({nullptr, nullptr, nullptr});
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], 0);
  FreeBlock(empty);
  EXPECT_EQ(Take(ConcatTexts({"ab", nullptr, "cd"})), "abcd");
  EXPECT_EQ(Take(ConcatTexts({kChinese, "-", kChinese})), std::string(kChinese) + "-" + kChinese);
}

TEST(TextTest, FromBufferCopiesExactlyAndStopsReadingAtNul) {
  EXPECT_EQ(TextFromBuffer("abc", 0), nullptr);
  EXPECT_EQ(TextFromBuffer("abc", -1), nullptr);
  const char bytes[] = {'a', 0, 'b'};
  Text t = TextFromBuffer(bytes, 3);
  EXPECT_EQ(std::memcmp(t, "a\0b\0", 4), 0);
  EXPECT_EQ(TextLength(t), 1u);
  FreeBlock(t);
}

TEST(TextTest, SlotsHoldValueHalvesAndTag) {
  ArgSlot t = BoolSlot(true);
  EXPECT_EQ((t.low == 1 && t.high == 0 && t.tag == TAG_BOOL), true);
  ArgSlot i = IntSlot(500);
  EXPECT_EQ((i.low == 500 && i.high == 0 && i.tag == 0x80000301), true);
  ArgSlot o = OmittedSlot();
  EXPECT_EQ((o.low == 0 && o.high == 0 && o.tag == 0), true);
  ArgSlot s = ShortSlot(-1);
  EXPECT_EQ(s.low, 0xFFFFu);
  EXPECT_EQ(SlotBits(Int64Slot(-2)), 0xFFFFFFFFFFFFFFFEull);
  EXPECT_EQ(SlotDouble(DoubleSlot(2.5)), 2.5);
  // A pointer uses both halves on a 64-bit build.
  EXPECT_EQ(SlotPointer(TextSlot(kChinese)), kChinese);
}

TEST(TextTest, TagWidthsAndClasses) {
  EXPECT_EQ(TagWidth(TAG_BYTE), 1u);
  EXPECT_EQ(TagWidth(TAG_SHORT), 2u);
  EXPECT_EQ(TagWidth(TAG_BOOL), 4u);
  EXPECT_EQ(TagWidth(TAG_DATETIME), 8u);
  EXPECT_EQ(TagWidth(0x80000007), 0u);
  EXPECT_EQ(TagWidth(0x80000008), 8u);
  EXPECT_TRUE(IsBasicTag(TAG_TEXT));
  EXPECT_FALSE(IsBasicTag(TAG_OMITTED));
  EXPECT_FALSE(IsBasicTag(0xC0000004));
  EXPECT_FALSE(IsBasicTag(0x40000004));
}

TEST(TextTest, OwnedReleasesOnceAndLiteralsSurvive) {
  OwnedText literal("literal");
  literal.Reset("another literal");  // releasing a literal does nothing
  OwnedText text(ConcatTexts({"a", "b"}));
  text.Reset(ConcatTexts({text.get(), "c"}));  // new value made from the old one
  EXPECT_STREQ(text.get(), "abc");
  OwnedBytes bytes;
  EXPECT_EQ(BytesOrEmpty(bytes.get()), &EmptyBytes);
  EXPECT_EQ(BytesLength(&EmptyBytes), 0);
}

}  // namespace

#include "runtime/library/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "testing/fake_system.h"

using fake::Take;

TEST(ToText, NumbersTruthValuesTextsBytesAndArrays) {
  const int32_t ints[] = {2, 1, 2, 0x44434241, 0x48474645, 0x4C4B4A49, 0x504F4E4D};  // 1 by 2
  const int32_t bytes[] = {1, 4, 0x43004241};                                        // 41 42 00 43
  auto array = [&](TypeTag tag) { return PointerSlot(TAG_ARRAY | tag, ints); };
  // clang-format off
  const std::pair<ArgSlot, std::string> cases[] = {{ShortSlot(7), "7"},
      {ArgSlot{0x1234FFFF, 0, TAG_SHORT}, "-1"}, {ArgSlot{0x1C8, 0, TAG_BYTE}, "200"},
      {Int64Slot(INT64_MIN), "-9223372036854775808"}, {DoubleSlot(100), "100"},
      {DoubleSlot(1234567.891), "1234567.891"}, {DoubleSlot(0.0000001), "0"},
      {FloatSlot(-2.5f), "-2.5"}, {DoubleSlot(-1.25e300), "-1.25e+300"}, {DoubleSlot(NAN), "nan"},
      {BoolSlot(true), "\xD5\xE6"}, {TextSlot("\xD6\xD0 a"), "\xD6\xD0 a"},
      {TextSlot(EmptyText), ""}, {BytesSlot(reinterpret_cast<Bytes>(bytes)), "AB"},
      {array(TAG_BYTE), "AB"}, {array(TAG_SHORT), "ABCD"}, {array(TAG_INT), "ABCDEFGH"},
      {array(TAG_INT64), "ABCDEFGHIJKLMNOP"}, {array(TAG_DOUBLE), ""}, {OmittedSlot(), ""}};
  // clang-format on
  for (const auto& [slot, text] : cases) EXPECT_EQ(Take(CallLibrary(ToText, {slot})), text);
  char whole[] = "100";  // no point: the zeros are the number's
  EXPECT_STREQ((TrimFraction(whole), whole), "100");
}

TEST(ToHalfWidthAndToInteger, WhatTheirTextsBecome) {
  // clang-format off
  const std::pair<const char*, std::string> half[] = {
      {"C\xA3\xBA\xA3\xDC\x61\xA3\xAF\x62", "C:\\a/b"}, {"\xA5\xA2", "?"}, {"", ""},
      {"\xA3\xAF\xD6\xD0\xA1\xA1\xA3\xB1", "/\xD6\xD0 1"}};
  const std::pair<ArgSlot, int32_t> integers[] = {{TextSlot("10"), 10}, {DoubleSlot(-2.9), -2},
      {DoubleSlot(3e9), -1294967296}, {DoubleSlot(NAN), 0}, {ArgSlot{0xFFFF, 0, TAG_SHORT}, -1},
      {DateTimeSlot(2.5), 0}, {TextSlot("99999999999999999999"), 1661992959}};  // wraps
  // clang-format on
  for (const auto& [text, result] : half)
    EXPECT_EQ(Take(CallLibrary(ToHalfWidth, {TextSlot(text)})), result);
  for (const auto& [slot, value] : integers) EXPECT_EQ(CallLibrary(ToInteger, {slot}), value);
}

TEST(ReplaceAll, ARefusedHeapChangesNothing) {
  fake::FakeSystem system;
  // The first append takes the first allocation, a tail of 200 bytes the second.
  static const std::string kText = "/" + std::string(200, 't');
  for (int allowed : {0, 1}) {
    system.heap_allows = allowed;
    EXPECT_TRUE(system.Run([] {
      Text value = kText.c_str();
      EXPECT_TRUE(!ReplaceAll(&value, "/", "x", false) && value == kText.c_str());
    }));
  }
  EXPECT_TRUE(system.boxes.empty());
}

#include "runtime/library/console.h"

#include <gtest/gtest.h>

#include "testing/fake_system.h"

using Lines = std::vector<std::string>;

TEST(ConsoleWrite, ValuesGoBackToBackToTheStreamChosen) {
  fake::FakeSystem system;
  const int32_t array[] = {1, 1, 7};
  CallLibrary(ConsoleWrite, {IntSlot(2), TextSlot("e")});
  CallLibrary(ConsoleWrite,
              {IntSlot(3), TextSlot("a"), IntSlot(5), BoolSlot(true), BytesSlot(&EmptyBytes),
               PointerSlot(TAG_INT | TAG_ARRAY, array), DoubleSlot(2.5),
               ArgSlot{0x1FF, 0, TAG_BYTE}, TextSlot(EmptyText), DateTimeSlot(2.5)});
  system.console = false;
  CallLibrary(ConsoleWrite, {OmittedSlot(), TextSlot("c")});
  EXPECT_EQ(system.err, "e");
  EXPECT_EQ(system.out,  // 真, then 1900年1月1日12时
            "a5\xD5\xE6"
            "2.55111900\xC4\xEA\x31\xD4\xC2\x31\xC8\xD5\x31\x32\xCA\xB1");
}

TEST(ConsoleWrite, LongFailedAndPartialWrites) {
  // The text written before "n": the sizes asked of WriteFile, what was written.
  // clang-format off
  const std::string z(2500, 'z'), q(3000, 'q');
  const struct { std::string text; int failing; uint32_t limit; Lines asked; std::string out; }
      cases[] = {{z, -1, 0xFFFFFFFF, {"1024", "1024", "452", "1"}, z + "n"},
      {"abc", -1, 1, {"3", "2", "1", "1"}, "abcn"},
      {"abcdefg", -1, 3, {"7", "4", "1", "1"}, "abcdefgn"}, {"abc", 0, 1, {"3", "1"}, "n"},
      {"abc", -1, 0, {"3", "1"}, ""},  // no progress: the value ends
      {q, 1, 0xFFFFFFFF, {"1024", "1024", "1"}, q.substr(0, 1024) + "n"}};
  // clang-format on
  for (const auto& c : cases) {
    fake::FakeSystem system;
    system.failing_write = c.failing;
    system.write_limit = c.limit;
    CallLibrary(ConsoleWrite, {OmittedSlot(), TextSlot(c.text.c_str()), TextSlot("n")});
    EXPECT_EQ(system.Calls("WriteFile"), c.asked) << c.text;
    EXPECT_EQ(system.out, c.out) << c.text;
  }
}

TEST(ConsoleRead, ALineEndsAtItsLineEndAndKeysWithoutEchoAtEnter) {
  // clang-format off
  const struct { Lines lines; std::vector<int> keys; std::string text; } cases[] = {
      {{"12\r\n"}, {}, "12"}, {{" 7 \n"}, {}, " 7 "}, {{"\r\n"}, {}, ""},
      {{std::string("5\0006\r\n", 5)}, {}, "5"}, {{}, {}, ""},
      {{std::string(3000, 'x')}, {}, std::string(2048, 'x')}, {{}, {'a', 8, 'b', 13, 'c'}, "a\bb"},
      {{}, {13}, ""}, {{}, {0xD6, 0xD0, -1, 'b'}, "\xD6\xD0"},
      {{}, std::vector<int>(3000, 'x'), std::string(2048, 'x')}};
  // clang-format on
  for (const auto& c : cases) {
    fake::FakeSystem system;
    system.lines = c.lines;
    system.keys = c.keys;
    const ArgSlot keys = c.keys.empty() ? OmittedSlot() : BoolSlot(false);
    EXPECT_EQ(fake::Take(CallLibrary(ConsoleRead, {keys})), c.text);  // the empty text null
  }
}

#include "runtime/core/text.h"

#include <gtest/gtest.h>

#include "platform/testing/fake_system.h"

namespace {

TEST(Text, ReadDecimalWrapsAt32BitsAndTellsWhetherTheNumberFits) {
  fake::FakeSystem system;
  // clang-format off
  const struct { const char* text; int32_t value; bool exact; } cases[] = {
      {" \t+42x", 42, true}, {"-0", 0, true}, {"", 0, true}, {"+-5", 0, true},
      {"2147483647", INT32_MAX, true}, {"2147483648", INT32_MIN, false},
      {"-2147483648", INT32_MIN, true}, {"-2147483649", INT32_MAX, false}, {"4294967298", 2, false},
      {"99999999999999999999", 1661992959, false}};
  // clang-format on
  for (const auto& c : cases) {
    bool exact = !c.exact;
    EXPECT_EQ(ReadDecimal(c.text, &exact), c.value) << c.text;
    EXPECT_EQ(exact, c.exact) << c.text;
  }
  EXPECT_EQ(RepeatText("0", 0), nullptr);  // the padding of a number that needs none
}

}  // namespace

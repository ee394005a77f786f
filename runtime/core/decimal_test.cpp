#include "runtime/core/decimal.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(ReadDecimal, WrapsAt32BitsAndTellsWhetherTheNumberFits) {
  // Past 32 bits the number wraps, as the count typed always did.
  const std::tuple<const char*, int32_t, bool> cases[] = {
      {"4294967298", 2, false}, {"99999999999999999999", 1661992959, false}, {"", 0, true}};
  for (const auto& [text, value, fits] : cases) {
    bool exact = !fits;
    EXPECT_EQ(ReadDecimal(text, &exact), value) << text;
    EXPECT_EQ(exact, fits) << text;
  }
}

}  // namespace

#include "runtime/core/text.h"

#include <gtest/gtest.h>

namespace {

TEST(RepeatText, NoTimesIsTheEmptyTextNotALoneNul) {
  EXPECT_EQ(RepeatText("0", 0), nullptr);  // the padding of a number that needs none
}

}  // namespace

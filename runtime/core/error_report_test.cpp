#include "runtime/core/error_report.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/core/test_support.h"

namespace {

using testing_support::RunAsProgram;

// 错误位置 and the version remark of the third line.
const std::string kPlace = "\xB4\xED\xCE\xF3\xCE\xBB\xD6\xC3:";
const std::string kRemark =
    "(\xBD\xF6"
    "5.8\xD2\xD4\xC9\xCF\xB0\xE6\xB1\xBE\xD3\xD0\xD0\xA7)";

std::string Report(int32_t code, int32_t routine, int32_t position) {
  char buffer[256];
  return FormatRuntimeError(buffer, code, routine, position);
}

TEST(RuntimeErrorReport, FormatsThreeLinesWithDescriptionAndPlace) {
  EXPECT_EQ(Report(6, 67174402, 25), "program internal error number is 6. \r\n" +
                                         std::string(RuntimeErrorDescription(6)) + "\r\n" + kPlace +
                                         "67174402,25" + kRemark);
  EXPECT_EQ(Report(100, 0, 0),
            "program internal error number is 100. \r\n(null)\r\n" + kPlace + "0,0" + kRemark);
  EXPECT_EQ(Report(1, -5, -2147483647 - 1).substr(Report(1, -5, 0).size() - kRemark.size() - 4),
            "-5,-2147483648" + kRemark);
}

TEST(RuntimeErrorReport, DescriptionTableCoversOneToEleven) {
  EXPECT_EQ(RuntimeErrorDescription(0), nullptr);
  EXPECT_EQ(RuntimeErrorDescription(12), nullptr);
  EXPECT_EQ(RuntimeErrorDescription(-1), nullptr);
  EXPECT_STREQ(RuntimeErrorDescription(5),
               "\xCA\xFD\xBE\xDD\xBB\xF2\xCA\xFD\xD7\xE9\xC0\xE0\xD0\xCD\xB2\xBB\xC6\xA5\xC5\xE4");
  size_t longest = 0;
  for (int code = 1; code <= 11; ++code) {
    ASSERT_NE(RuntimeErrorDescription(code), nullptr) << code;
    longest = std::max(longest, std::string(RuntimeErrorDescription(code)).size());
  }
  EXPECT_EQ(std::string(RuntimeErrorDescription(10)).size(), 64u);
  EXPECT_EQ(longest, 64u);
  // The worst case fits the 256-byte buffer with room to spare.
  EXPECT_EQ(Report(10, -2147483647 - 1, -2147483647 - 1).size(), 156u);
}

TEST(RuntimeErrorReport, ShowsTheBoxAndEndsTheRunWithZero) {
  auto run = RunAsProgram([] { ReportRuntimeError(9, 67185960, 396); });
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_FALSE(run.body_finished);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, "error");
  EXPECT_EQ(run.boxes[0].style, 0x10u);
  EXPECT_EQ(run.boxes[0].text, Report(9, 67185960, 396));
}

TEST(RuntimeErrorReport, HookCanTakeTheReportButTheRunStillEnds) {
  static int calls;
  calls = 0;
  SetRuntimeErrorHook([](int32_t code, const char*) {
    ++calls;
    return code == 5 ? 1 : 0;
  });
  auto handled = RunAsProgram([] { ReportRuntimeError(5, 0, 0); });
  auto declined = RunAsProgram([] { ReportRuntimeError(6, 0, 0); });
  // A report raised inside the hook goes straight to the box.
  SetRuntimeErrorHook([](int32_t, const char*) -> int {
    ++calls;
    ReportRuntimeError(2, 0, 0);
  });
  auto nested = RunAsProgram([] { ReportRuntimeError(3, 0, 0); });
  SetRuntimeErrorHook(nullptr);

  EXPECT_EQ(handled.exit_code, 0);
  EXPECT_TRUE(handled.boxes.empty());
  EXPECT_EQ(declined.exit_code, 0);
  EXPECT_EQ(declined.boxes.size(), 1u);
  EXPECT_EQ(nested.exit_code, 0);
  ASSERT_EQ(nested.boxes.size(), 1u);
  EXPECT_EQ(nested.boxes[0].text, Report(2, 0, 0));
  EXPECT_EQ(calls, 3);
}

}  // namespace

#include "runtime/core/error_report.h"

#include <gtest/gtest.h>

#include "runtime/core/texts.h"
#include "testing/fake_system.h"

static std::string Report(int32_t code, int32_t routine, int32_t position) {
  char buffer[256];
  return FormatRuntimeError(buffer, code, routine, position);
}

TEST(RuntimeErrorReport, DescribesCodesOneToElevenAndNamesThePlace) {
  const std::string* descriptions[] = {&texts::error_1,  &texts::error_2, &texts::error_3,
                                       &texts::error_4,  &texts::error_5, &texts::error_6,
                                       &texts::error_7,  &texts::error_8, &texts::error_9,
                                       &texts::error_10, &texts::error_11};
  for (int32_t code = 1; code <= 11; ++code)
    EXPECT_EQ(RuntimeErrorDescription(code), *descriptions[code - 1]) << code;
  for (int32_t code : {0, 12, -1}) EXPECT_EQ(RuntimeErrorDescription(code), nullptr);
  EXPECT_EQ(Report(6, 67174402, 25), texts::report_6);
  EXPECT_EQ(Report(100, -5, INT32_MIN), texts::report_100);
}

TEST(RuntimeErrorReport, ShowsTheBoxUnlessTheHookTakesItThenEndsTheRun) {
  fake::FakeSystem system;
  SetRuntimeErrorHook([](int32_t code, const char*) { return code == 5 ? 1 : 0; });
  for (int32_t code : {5, 6})
    EXPECT_FALSE(system.Run([code] { ReportRuntimeError(code, 67174402, 25); }));
  SetRuntimeErrorHook(nullptr);
  EXPECT_EQ(system.exit_code, 0);
  // None for the report the hook took.
  EXPECT_EQ(system.boxes, std::vector<std::string>{"error 16: " + texts::report_6});
}

// Message boxes on Linux: no window; caption and text go to standard error.
#include "testing/conformance.h"

TEST(MessageBoxes, AMessageBoxGoesToStandardErrorAndCountsAsDismissed) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(os.MessageBoxA(nullptr, "\xC4\xDA", "error", platform::MB_ICONERROR), platform::IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "error: \xC4\xDA\n");  // bytes as they are
}

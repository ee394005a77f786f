#include "runtime/core/startup.h"

#include <gtest/gtest.h>

#include "testing/fake_system.h"

static std::vector<std::string> g_events;

static void ExitAtDepth(int depth);
static void (*volatile g_descend)(int) = ExitAtDepth;
static void ExitAtDepth(int depth) {
  if (depth == 0) RuntimeExit(7);
  g_descend(depth - 1);
  g_events.push_back("after the exit");
}

TEST(RuntimeMain, EndsWithTheCodeGivenFromAnyDepthAfterTheShutdownSequence) {
  fake::FakeSystem system;
  EXPECT_TRUE(system.Run([] {}) && system.exit_code == 0);
  EXPECT_FALSE(system.Run([] {
    SetShutdownCallback([] { g_events.push_back("replaced"); });
    SetShutdownCallback([] { g_events.push_back("program"); });
    SetFinalShutdownRoutine([] { g_events.push_back("final"); });
    ExitAtDepth(20);
  }));
  SetFinalShutdownRoutine(nullptr);
  EXPECT_TRUE(system.exit_code == 7 && g_events == (std::vector<std::string>{"program", "final"}));
  system.framework_fails = true;
  EXPECT_TRUE(!system.Run([] {}) && system.exit_code == 1);
  EXPECT_EQ(system.standard_error, "Fatal Error: MFC initialization failed\n");
}

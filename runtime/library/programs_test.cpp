#include "runtime/library/programs.h"

#include <gtest/gtest.h>

#include "testing/fake_system.h"

using Lines = std::vector<std::string>;

TEST(RunProgram, StartsTheLineAsGivenInAWindowStateWithoutStreams) {
  fake::FakeSystem system;
  // The window mode given, and the show state: SW_SHOW, SW_HIDE, SW_SHOWMINNOACTIVE, SW_SHOW.
  const std::pair<ArgSlot, int> modes[] = {
      {OmittedSlot(), 5}, {IntSlot(1), 0}, {IntSlot(6), 7}, {IntSlot(7), 5}};
  for (const auto& [mode, show] : modes) {
    EXPECT_TRUE(CallLibrary(RunProgram, {TextSlot("\"a b\" x"), BoolSlot(false), mode}));
    EXPECT_EQ(system.startup.wShowWindow, show);
    EXPECT_EQ(system.startup.dwFlags, platform::STARTF_USESHOWWINDOW);
    EXPECT_TRUE(system.startup.hStdOutput == nullptr && system.startup.hStdError == nullptr);
  }
  system.calls.erase(system.calls.begin() + 3, system.calls.end());
  EXPECT_TRUE(CallLibrary(RunProgram, {TextSlot("p"), BoolSlot(true)}));
  system.start_fails = true;
  EXPECT_FALSE(CallLibrary(RunProgram, {TextSlot("q"), BoolSlot(true)}));
  EXPECT_EQ(system.calls,
            (Lines{"CreateProcessA \"a b\" x", "CloseHandle process", "CloseHandle thread",
                   "CreateProcessA p", "WaitForSingleObject process 4294967295",
                   "CloseHandle process", "CloseHandle thread", "CreateProcessA q"}));
}

#include "runtime/core/binding.h"

#include <gtest/gtest.h>

#include "runtime/core/texts.h"
#include "testing/fake_system.h"

static BindingSlot g_slot;

TEST(LazyBinding, FunctionsBindOnTheFirstCallByTheirUndecoratedName) {
  void* stub = crt::strlen.slot;
  EXPECT_EQ(crt::strlen("\xD6\xD0"), 2u);
  void* bound = crt::strlen.slot;
  EXPECT_TRUE(bound != stub && crt::strlen("abcd") == 4u && crt::strlen.slot == bound);  // once
  EXPECT_TRUE(BindLibraryFunction("msvcrt.dll", "strlen@@4", &g_slot) == bound && g_slot == bound);
  EXPECT_EQ(g_loaded_modules.count, 0);  // the C library is present: nothing to release
}

TEST(LazyBinding, FailuresShowDllErrorAndEndTheRun) {
  // clang-format off
  const struct { const char *module, *function; std::string text; } cases[] = {
      {"nowhere.dll", "Fn", texts::dll_module_missing},
      {"msvcrt.dll", "Gone@@4", texts::dll_function_missing}, {"msvcrt.dll", "strlen@8", ""},
      {"msvcrt.dll", "#0", ""}, {"msvcrt.dll", "#65536", ""},
      {"msvcrt.dll", "#-3", ""}};  // no ordinals
  // clang-format on
  for (const auto& c : cases) {
    fake::FakeSystem system;
    EXPECT_FALSE(system.Run([&] { BindLibraryFunction(c.module, c.function, &g_slot); }));
    ASSERT_TRUE(system.exit_code == 0 && system.boxes.size() == 1u);
    EXPECT_TRUE(system.boxes[0].starts_with("DLL ERROR 16: " + c.text)) << system.boxes[0];
  }
}

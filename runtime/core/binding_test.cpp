#include "runtime/core/binding.h"

#include <gtest/gtest.h>

#include "platform/testing/fake_system.h"
#include "runtime/core/memory.h"
#include "runtime/core/texts.h"

namespace {

using Lines = std::vector<std::string>;
BindingSlot g_slot;

// present.dll is in the process; a.dll and b.dll are loaded on request.
struct Loader : fake::FakeSystem {
  Loader() {
    for (const char* name : {"present.dll", "a.dll", "b.dll"}) modules[name] = {"Fn", "Fn@8", "#3"};
    loaded = {"present.dll"};
  }
  ~Loader() { g_loaded_modules = {}; }
};

TEST(LazyBinding, NameFormsAndTheModulesLoadedForTheRun) {
  Loader loader;
  EXPECT_TRUE(loader.Run([] {
    for (const char* module : {"present.dll", "a.dll", "b.dll", "a.dll"})
      for (const char* function : {"Fn@@2", "Fn@8", "#3", "# 3"}) {
        void* address = BindLibraryFunction(module, function, &g_slot);
        EXPECT_TRUE(address != nullptr && address == g_slot);
      }
    EXPECT_EQ(g_loaded_modules.count, 2);  // present modules are not recorded
  }));
  Lines looked_up;
  for (int i = 0; i < 4; ++i) looked_up.insert(looked_up.end(), {"Fn", "Fn@8", "#3", "#3"});
  EXPECT_EQ(loader.Calls("GetProcAddress"), looked_up);
  EXPECT_EQ(loader.Calls("LoadLibraryA"), (Lines{"a.dll", "b.dll"}));
  EXPECT_EQ(loader.Calls("FreeLibrary"), (Lines{"a.dll", "b.dll"}));  // when the run ends
  g_loaded_modules = {};  // beyond the table's 100, modules stay loaded unrecorded
  loader.calls.clear();
  for (int i = 0; i < kLoadedModuleCapacity + 5; ++i) {
    loader.modules[std::to_string(i)] = {"Fn"};
    BindLibraryFunction(std::to_string(i).c_str(), "Fn", &g_slot);
  }
  UnloadLibraries();
  EXPECT_EQ(loader.Calls("FreeLibrary").size(), static_cast<size_t>(kLoadedModuleCapacity));
  EXPECT_EQ(loader.Calls("FreeLibrary").back(), "99");
}

TEST(LazyBinding, FailuresShowDllErrorAndEndTheRun) {
  // clang-format off
  const struct { const char *module, *function; Lines looked_up; std::string text; } cases[] = {
      {"nowhere.dll", "Fn", {}, texts::dll_module_missing},
      {"present.dll", "Gone@@4", {"Gone"}, texts::dll_function_missing},
      {"present.dll", "#65535", {"#65535"}, ""}, {"present.dll", "#1", {"#1"}, ""},
      {"present.dll", "#65536", {}, ""}, {"present.dll", "#0", {}, ""}, {"present.dll", "#-3", {}, ""}};
  // clang-format on
  for (const auto& c : cases) {
    Loader loader;
    EXPECT_FALSE(loader.Run([&] { BindLibraryFunction(c.module, c.function, &g_slot); }));
    EXPECT_EQ(loader.exit_code, 0);
    EXPECT_EQ(loader.Calls("GetProcAddress"), c.looked_up) << c.function;
    ASSERT_EQ(loader.boxes.size(), 1u);
    EXPECT_EQ(loader.boxes[0].caption + " " + std::to_string(loader.boxes[0].style),
              "DLL ERROR 16");
    EXPECT_TRUE(c.text.empty() || loader.boxes[0].text == c.text) << loader.boxes[0].text;
  }
}

}  // namespace

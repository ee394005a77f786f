#include "runtime/core/binding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/test_support.h"

namespace {

using testing_support::RunAsProgram;

// A fake loader: modules "present.dll" (already in the process) and
// "loadable.dll" (loaded on request); functions "Fn", "Fn@8" and ordinal 3.
struct LoaderLog {
  std::vector<std::string> loads;
  std::vector<std::string> lookups;
  std::vector<void*> freed;
};
LoaderLog g_log;
int g_present;
int g_loadable;
int g_function;

platform::Api FakeLoader() {
  platform::Api api = platform::NativeApi();
  api.GetModuleHandleA = [](const char* name) -> platform::HMODULE {
    if (name == nullptr) return platform::NativeApi().GetModuleHandleA(nullptr);
    if (std::strcmp(name, "present.dll") == 0) return &g_present;
    // Once loaded, a module is present.
    for (const auto& loaded : g_log.loads)
      if (loaded == name) return &g_loadable;
    return nullptr;
  };
  api.LoadLibraryA = [](const char* name) -> platform::HMODULE {
    g_log.loads.push_back(name);
    return std::strncmp(name, "loadable", 8) == 0 ? &g_loadable : nullptr;
  };
  api.GetProcAddress = [](platform::HMODULE, const char* name) -> platform::FARPROC {
    auto value = reinterpret_cast<uintptr_t>(name);
    std::string key = value <= 0xFFFF ? "#" + std::to_string(value) : std::string(name);
    g_log.lookups.push_back(key);
    return key == "Fn" || key == "Fn@8" || key == "#3" ? &g_function : nullptr;
  };
  api.FreeLibrary = [](platform::HMODULE module) {
    g_log.freed.push_back(module);
    return platform::kTrue;
  };
  return api;
}

void ResetBinder() {
  g_log = {};
  g_loaded_modules = {};
  SetFinalShutdownRoutine(nullptr);
}

TEST(LazyBinding, CrtFunctionsBindOnFirstCallAndThenCallDirectly) {
  void* stub = crt::strlen.slot;
  EXPECT_EQ(crt::strlen("abcd"), 4u);
  void* bound = crt::strlen.slot;
  EXPECT_NE(bound, stub);
  EXPECT_EQ(crt::strlen("\xD6\xD0"), 2u);
  EXPECT_EQ(crt::strlen.slot, bound);

  char* block = static_cast<char*>(crt::malloc(8));
  crt::memset(block, 'x', 8);
  EXPECT_EQ(block[7], 'x');
  crt::free(block);
  // The C library is always present: nothing was recorded for release.
  EXPECT_EQ(g_loaded_modules.count, 0);
}

TEST(LazyBinding, NameFormsAndModuleRecording) {
  ResetBinder();
  platform::Api api = FakeLoader();
  platform::ScopedApi use(api);
  BindingSlot slot = nullptr;

  EXPECT_EQ(BindLibraryFunction("present.dll", "Fn@@2", &slot), &g_function);
  EXPECT_EQ(slot, &g_function);
  EXPECT_EQ(g_loaded_modules.count, 0);  // present modules are not recorded

  EXPECT_EQ(BindLibraryFunction("loadable.dll", "Fn@8", &slot), &g_function);
  EXPECT_EQ(BindLibraryFunction("loadable.dll", "# 3", &slot), &g_function);
  EXPECT_EQ(g_loaded_modules.count, 1);  // the second binding found it present
  EXPECT_EQ(g_log.lookups, (std::vector<std::string>{"Fn", "Fn@8", "#3"}));

  UnloadLibraries();
  EXPECT_EQ(g_log.freed, std::vector<void*>{&g_loadable});
  ResetBinder();
}

TEST(LazyBinding, FailuresShowDllErrorAndEndWithZero) {
  ResetBinder();
  platform::Api api = FakeLoader();
  static BindingSlot slot;
  auto missing_module = RunAsProgram([] { BindLibraryFunction("nowhere.dll", "Fn", &slot); }, api);
  auto missing_function =
      RunAsProgram([] { BindLibraryFunction("present.dll", "Gone@@4", &slot); }, api);
  auto bad_ordinal = RunAsProgram([] { BindLibraryFunction("present.dll", "#70000", &slot); }, api);

  EXPECT_EQ(missing_module.exit_code, 0);
  ASSERT_EQ(missing_module.boxes.size(), 1u);
  EXPECT_EQ(missing_module.boxes[0].caption, "DLL ERROR");
  EXPECT_EQ(missing_module.boxes[0].style, 0x10u);
  EXPECT_EQ(
      missing_module.boxes[0].text,
      "\xCD\xAC\xC4\xBF\xC2\xBC\xCF\xC2\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD"
      "DLL\xCE\xC4\xBC\xFE:\"nowhere.dll\".\xC7\xEB\xD3\xEB\xD7\xF7\xD5\xDF\xC1\xAA\xCF\xB5.");
  ASSERT_EQ(missing_function.boxes.size(), 1u);
  EXPECT_EQ(
      missing_function.boxes[0].text,
      "\xCE\xDE\xB7\xA8\xB6\xA8\xCE\xBB"
      "DLL\xCE\xC4\xBC\xFE:\"present.dll\"\xB5\xB1\xD6\xD0\xB5\xC4\"Gone@@4\"\xBA\xAF\xCA\xFD.");
  // An ordinal outside 1..65535 names no function; nothing is looked up.
  ASSERT_EQ(bad_ordinal.boxes.size(), 1u);
  EXPECT_EQ(g_log.lookups, std::vector<std::string>{"Gone"});
  ResetBinder();
}

TEST(LazyBinding, ModulesBeyondTheTableStayLoadedAndAreNotRecorded) {
  ResetBinder();
  platform::Api api = FakeLoader();
  api.GetModuleHandleA = [](const char*) -> platform::HMODULE { return nullptr; };
  platform::ScopedApi use(api);
  BindingSlot slot = nullptr;
  for (int i = 0; i < kLoadedModuleCapacity + 5; ++i)
    EXPECT_EQ(BindLibraryFunction(("loadable" + std::to_string(i)).c_str(), "Fn", &slot),
              &g_function);
  EXPECT_EQ(g_loaded_modules.count, kLoadedModuleCapacity);
  UnloadLibraries();
  EXPECT_EQ(g_log.freed.size(), static_cast<size_t>(kLoadedModuleCapacity));
  ResetBinder();
}

}  // namespace

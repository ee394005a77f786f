// The heap, readable memory, modules, formatting and message boxes.
#include <gtest/gtest.h>

#include "platform/platform.h"

using namespace platform;

static const Api& os = NativeApi();

TEST(Modules, HeapBlocksReadableMemoryTheImageAndTheCLibraryByItsWindowsName) {
  HMODULE self = os.GetModuleHandleA(nullptr), c = os.GetModuleHandleA("msvcrt.dll");
  MODULEINFO info{};
  ASSERT_TRUE(os.GetModuleInformation(kInvalidHandle, self, &info, sizeof info));
  auto inside = [&](const void* p) { return uintptr_t(p) - uintptr_t(self) < info.SizeOfImage; };
  auto* zeroed = static_cast<char*>(os.HeapAlloc(os.GetProcessHeap(), HEAP_ZERO_MEMORY, 9000));
  ASSERT_TRUE(zeroed && std::string(zeroed, 9000) == std::string(9000, '\0'));
  EXPECT_TRUE(info.lpBaseOfDll == self && inside("a constant") && inside(&os) && !inside(zeroed));
  EXPECT_FALSE(os.IsBadReadPtr(zeroed, 9000) || os.IsBadReadPtr("ab", 3) || os.IsBadReadPtr(0, 0));
  EXPECT_TRUE(os.IsBadReadPtr(nullptr, 8) && os.IsBadReadPtr((void*)0xFFFF800000000000ull, 8));
  EXPECT_TRUE(os.HeapFree(os.GetProcessHeap(), 0, zeroed));
  auto length = reinterpret_cast<size_t (*)(const char*)>(os.GetProcAddress(c, "strlen"));
  EXPECT_TRUE(length && length("abc") == 3 && !os.GetProcAddress(c, "no_such_function"));
  HMODULE loaded = os.LoadLibraryA("MSVCRT");
  EXPECT_TRUE(loaded && os.GetProcAddress(loaded, "malloc") && os.FreeLibrary(loaded));
  EXPECT_EQ(os.LoadLibraryA("no_such_module_zv.dll"), nullptr);
}

TEST(Modules, WsprintfSubsetUpTo1024Bytes) {
  char out[1100];
  EXPECT_EQ(os.wsprintfA(out, "%d|%i|%u|%x|%c%%", -42, 7, 4294967295u, 255, 'z'), 22);
  EXPECT_STREQ(out, "-42|7|4294967295|ff|z%");
  EXPECT_EQ(os.wsprintfA(out, "\xB4\xED%s[%s]", "\xD6\xD0", (char*)nullptr), 12);
  EXPECT_STREQ(out, "\xB4\xED\xD6\xD0[(null)]");
  os.wsprintfA(out, "%s", std::string(2000, 'x').c_str());
  EXPECT_EQ(out, std::string(1023, 'x'));
}

#ifndef _WIN32
TEST(Modules, AMessageBoxGoesToStandardErrorAndCountsAsDismissed) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(os.MessageBoxA(nullptr, "\xC4\xDA", "error", MB_ICONERROR), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "error: \xC4\xDA\n");  // bytes as they are
}
#endif

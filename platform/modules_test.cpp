// The heap, readable memory, the program's image and libraries bound by name.
#include "testing/conformance.h"

TEST(Modules, HeapBlocksReadableMemoryTheImageAndTheCLibraryByItsWindowsName) {
  HMODULE self = os.GetModuleHandleA(nullptr), c = os.GetModuleHandleA("msvcrt.dll");
  MODULEINFO info{};
  ASSERT_TRUE(os.GetModuleInformation(kInvalidHandle, self, &info, sizeof info));
  EXPECT_EQ(info.lpBaseOfDll, self);
  auto* zeroed = static_cast<char*>(os.HeapAlloc(os.GetProcessHeap(), HEAP_ZERO_MEMORY, 9000));
  ASSERT_EQ(std::string(zeroed, 9000), std::string(9000, '\0'));
  for (auto [p, in_image] : {std::pair<const void*, bool>{"a", true}, {&os, true}, {zeroed, false}})
    EXPECT_EQ(uintptr_t(p) - uintptr_t(self) < info.SizeOfImage, in_image) << p;
  for (auto [p, size, bad] : {std::tuple<const void*, size_t, bool>{zeroed, 9000, false},
                              {"ab", 3, false},
                              {nullptr, 0, false},
                              {nullptr, 8, true},
                              {reinterpret_cast<void*>(0xFFFF800000000000ull), 8, true}})
    EXPECT_EQ(os.IsBadReadPtr(p, size) != 0, bad) << p << " " << size;
  EXPECT_TRUE(os.HeapFree(os.GetProcessHeap(), 0, zeroed));
  auto length = reinterpret_cast<size_t (*)(const char*)>(os.GetProcAddress(c, "strlen"));
  EXPECT_EQ(length != nullptr ? length("abc") : 0, 3u);
  EXPECT_EQ(os.GetProcAddress(c, "no_such_function"), nullptr);
  EXPECT_EQ(os.GetProcAddress(nullptr, "strlen"), nullptr);  // no module
  HMODULE loaded = os.LoadLibraryA("MSVCRT");
  EXPECT_NE(os.GetProcAddress(loaded, "malloc"), nullptr) << loaded;
  EXPECT_TRUE(os.FreeLibrary(loaded));
  EXPECT_EQ(os.LoadLibraryA("msvcrt_zv_missing.dll"), nullptr);
}

// The Win32 behaviour the program relies on, checked against the backend of
// this build (natively on Linux, under Wine for Windows).
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const platform::Api& os = platform::NativeApi();

constexpr char kLiteral[] = "a constant of the program image";
// 中文 in GBK and in UTF-16.
constexpr char kGbk[] = "\xD6\xD0\xCE\xC4";
constexpr char16_t kWide[] = u"\u4E2D\u6587";

TEST(Heap, BlocksAreUsableAndZeroFilledOnRequest) {
  platform::HANDLE heap = os.GetProcessHeap();
  ASSERT_NE(heap, nullptr);
  EXPECT_EQ(os.GetProcessHeap(), heap);
  auto* zeroed = static_cast<unsigned char*>(os.HeapAlloc(heap, platform::HEAP_ZERO_MEMORY, 300));
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(zeroed[i], 0);
  void* empty = os.HeapAlloc(heap, 0, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_NE(os.HeapFree(heap, 0, zeroed), 0);
  EXPECT_NE(os.HeapFree(heap, 0, empty), 0);
}

TEST(Heap, ReadabilityProbeNeverFaults) {
  int local = 5;
  void* block = os.HeapAlloc(os.GetProcessHeap(), 0, 8);
  EXPECT_EQ(os.IsBadReadPtr(&local, sizeof local), 0);
  EXPECT_EQ(os.IsBadReadPtr(block, 8), 0);
  EXPECT_EQ(os.IsBadReadPtr(kLiteral, 8), 0);
  EXPECT_NE(os.IsBadReadPtr(nullptr, 8), 0);
  EXPECT_NE(os.IsBadReadPtr(reinterpret_cast<void*>(0xFFFF800000000000ull), 8), 0);
  os.HeapFree(os.GetProcessHeap(), 0, block);
}

TEST(Modules, ProgramImageHoldsItsConstantsButNotTheHeap) {
  platform::HMODULE self = os.GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  platform::MODULEINFO info{};
  ASSERT_NE(os.GetModuleInformation(platform::kInvalidHandle, self, &info, sizeof info), 0);
  auto base = reinterpret_cast<uintptr_t>(info.lpBaseOfDll);
  EXPECT_EQ(base, reinterpret_cast<uintptr_t>(self));
  auto inside = [&](const void* p) {
    auto a = reinterpret_cast<uintptr_t>(p);
    return base <= a && a < base + info.SizeOfImage;
  };
  EXPECT_TRUE(inside(kLiteral));
  EXPECT_TRUE(inside(&os));
  void* block = os.HeapAlloc(os.GetProcessHeap(), 0, 8);
  EXPECT_FALSE(inside(block));
  os.HeapFree(os.GetProcessHeap(), 0, block);
}

TEST(Modules, CLibraryIsFoundByItsWindowsName) {
  platform::HMODULE present = os.GetModuleHandleA("msvcrt.dll");
  ASSERT_NE(present, nullptr);
  auto strlen_fn = reinterpret_cast<size_t (*)(const char*)>(os.GetProcAddress(present, "strlen"));
  ASSERT_NE(strlen_fn, nullptr);
  EXPECT_EQ(strlen_fn("abc"), 3u);
  EXPECT_EQ(os.GetProcAddress(present, "no_such_function_here"), nullptr);

  platform::HMODULE loaded = os.LoadLibraryA("msvcrt.dll");
  ASSERT_NE(loaded, nullptr);
  EXPECT_NE(os.GetProcAddress(loaded, "malloc"), nullptr);
  EXPECT_NE(os.FreeLibrary(loaded), 0);
  EXPECT_EQ(os.LoadLibraryA("no_such_module_zv.dll"), nullptr);
}

TEST(Formatting, WsprintfSubset) {
  char buffer[1100];
  EXPECT_EQ(os.wsprintfA(buffer, "%d|%s|%d", -42, "ab", 2147483647), 17);
  EXPECT_STREQ(buffer, "-42|ab|2147483647");
  os.wsprintfA(buffer, "[%s]", static_cast<const char*>(nullptr));
  EXPECT_STREQ(buffer, "[(null)]");
  std::string long_text(2000, 'x');
  int n = os.wsprintfA(buffer, "%s", long_text.c_str());
  EXPECT_LE(n, 1024);
  EXPECT_LE(std::strlen(buffer), 1023u);
}

TEST(CodePage936, ConvertsBothWaysWithSizeQueries) {
  // Size query counts the NUL unit for a count of -1.
  EXPECT_EQ(os.MultiByteToWideChar(936, 0, kGbk, -1, nullptr, 0), 3);
  platform::WCHAR wide[8] = {};
  EXPECT_EQ(os.MultiByteToWideChar(936, 0, kGbk, -1, wide, 8), 3);
  EXPECT_EQ(std::u16string(wide), kWide);
  EXPECT_EQ(os.lstrlenW(wide), 2);
  EXPECT_EQ(os.lstrlenW(nullptr), 0);

  EXPECT_EQ(os.WideCharToMultiByte(936, 0, kWide, -1, nullptr, 0, nullptr, nullptr), 5);
  char bytes[8] = {};
  EXPECT_EQ(os.WideCharToMultiByte(936, 0, kWide, -1, bytes, 8, nullptr, nullptr), 5);
  EXPECT_STREQ(bytes, kGbk);

  // Explicit counts carry no NUL; a buffer too small fails.
  EXPECT_EQ(os.MultiByteToWideChar(936, 0, "ab", 2, wide, 8), 2);
  EXPECT_EQ(os.MultiByteToWideChar(936, 0, kGbk, -1, wide, 2), 0);
}

TEST(CodePage936, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
  const char16_t outside[] = u"a\u00E9\u0E01b";  // é is in GBK, Thai ko kai is not
  char bytes[16] = {};
  platform::BOOL used_default = platform::kFalse;
  int n = os.WideCharToMultiByte(936, 0, outside, -1, bytes, sizeof bytes, nullptr, &used_default);
  EXPECT_EQ(n, 6);
  EXPECT_STREQ(bytes, "a\xA8\xA6?b");
  EXPECT_NE(used_default, 0);
}

TEST(CodePage936, APairTheCodePageLacksIsOneCharacterAndTheNextKeepsItsBytes) {
  // A2 A0 has a lead and a trail byte but no character in GBK; the full-width
  // reverse solidus after it must not be read from its second byte on.
  platform::WCHAR wide[8] = {};
  ASSERT_EQ(os.MultiByteToWideChar(936, 0, "\xA2\xA0\xA3\xDC", 4, wide, 8), 2);
  EXPECT_EQ(wide[1], u'\uFF3C');
  // Whatever the pair becomes, the full-width digit after it is still a 1.
  char mapped[8] = {};
  int n = os.LCMapStringA(0x0804, platform::LCMAP_HALFWIDTH, "\xA2\xA0\xA3\xB1", 4, mapped,
                          sizeof mapped);
  ASSERT_GE(n, 2);
  EXPECT_EQ(mapped[n - 1], '1');
}

}  // namespace

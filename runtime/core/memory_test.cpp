#include "runtime/core/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/test_support.h"
#include "runtime/core/text.h"

namespace {

using testing_support::RunAsProgram;

constexpr char kLiteral[] = "a literal of the program";

std::vector<std::string> g_events;
bool g_after_exit;

void ExitAtDepth(int depth);
void (*volatile g_descend)(int) = ExitAtDepth;

void ExitAtDepth(int depth) {
  if (depth == 0) RuntimeExit(7);
  g_descend(depth - 1);
  g_after_exit = true;  // must never run
}

TEST(Memory, AllocationsAreUsableAndZeroFillIsHonoured) {
  auto* zeroed = static_cast<unsigned char*>(AllocZeroed(4096));
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(zeroed[i], 0) << i;
  auto* plain = static_cast<unsigned char*>(AllocBlock(100));
  std::memset(plain, 0xAB, 100);
  FreeBlock(zeroed);
  FreeBlock(plain);
  FreeBlock(AllocBlock(0));  // a zero-byte block is still a block
}

TEST(Memory, FreeBlockIgnoresSmallValuesLiteralsAndUnreadableAddresses) {
  int frees = 0;
  static int* counter;
  counter = &frees;
  platform::Api api = platform::NativeApi();
  api.HeapFree = [](platform::HANDLE, platform::DWORD, void*) {
    ++*counter;
    return platform::kTrue;
  };
  platform::ScopedApi use(api);

  FreeBlock(nullptr);
  FreeBlock(reinterpret_cast<void*>(1));
  FreeBlock(reinterpret_cast<void*>(0xFFFF));
  FreeBlock(kLiteral);
  FreeBlock(kLiteral + 5);
  FreeBlock(EmptyText);
  // An address no user process can read: probed, not released, no fault.
  FreeBlock(reinterpret_cast<void*>(0xFFFF800000000000ull));
  EXPECT_EQ(frees, 0);
  EXPECT_STREQ(kLiteral, "a literal of the program");

  void* block = AllocBlock(16);
  FreeBlock(block);
  EXPECT_EQ(frees, 1);
  platform::NativeApi().HeapFree(platform::NativeApi().GetProcessHeap(), 0, block);
}

TEST(RuntimeMainTest, NormalEndAndExitFromAnyDepthGiveTheCode) {
  auto run = RunAsProgram([] {});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.body_finished);

  g_after_exit = false;
  run = RunAsProgram([] { ExitAtDepth(20); });
  EXPECT_EQ(run.exit_code, 7);
  EXPECT_FALSE(run.body_finished);
  EXPECT_FALSE(g_after_exit);
}

TEST(RuntimeMainTest, ShutdownSequenceRunsOnceInOrder) {
  g_events.clear();
  auto run = RunAsProgram([] {
    SetShutdownCallback([] { g_events.push_back("first"); });
    SetShutdownCallback([] { g_events.push_back("program"); });  // replaces the first
    SetFinalShutdownRoutine([] { g_events.push_back("final"); });
    RuntimeExit(0);
  });
  SetFinalShutdownRoutine(nullptr);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(g_events, (std::vector<std::string>{"program", "final"}));
}

TEST(RuntimeMainTest, FrameworkFailureWritesTheLineAndReturnsOne) {
  static bool entered;
  entered = false;
  platform::Api api = platform::NativeApi();
  api.AfxWinInit = [](platform::HMODULE, platform::HMODULE, char*, int) {
    return platform::kFalse;
  };
  auto run = RunAsProgram([] { entered = true; }, api);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(entered);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.standard_error, "Fatal Error: MFC initialization failed\n");
}

TEST(RuntimeMainTest, ExhaustedHeapShowsTheBoxAndEndsWithZero) {
  platform::Api api = platform::NativeApi();
  api.HeapAlloc = [](platform::HANDLE, platform::DWORD, size_t) -> void* { return nullptr; };
  static bool returned;
  returned = false;
  auto run = RunAsProgram(
      [] {
        AllocZeroed(10);
        returned = true;
      },
      api);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_FALSE(returned);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3");
  EXPECT_EQ(run.boxes[0].caption, "error");
  EXPECT_EQ(run.boxes[0].style, platform::MB_ICONERROR);
}

}  // namespace

#include "runtime/core/memory.h"

#include <gtest/gtest.h>

#include "runtime/core/text.h"
#include "runtime/core/texts.h"
#include "testing/fake_system.h"

constexpr char kLiteral[] = "a literal of the program";

TEST(Memory, BlocksAreZeroedWhenAskedOnlyHeapBlocksAreReleasedAndExhaustionEndsTheRun) {
  fake::FakeSystem system;
  auto* zeroed = static_cast<char*>(AllocZeroed(4096));
  EXPECT_EQ(std::string(zeroed, 4096), std::string(4096, '\0'));
  // Small values, literals of the program and an address no process can read.
  for (uintptr_t other : {uintptr_t{1}, uintptr_t{0xFFFF}, reinterpret_cast<uintptr_t>(EmptyText),
                          reinterpret_cast<uintptr_t>(kLiteral + 3), uintptr_t{0xFFFF800000000000}})
    FreeBlock(reinterpret_cast<const void*>(other));
  EXPECT_EQ(system.heap_frees, 0);
  FreeBlock(zeroed);
  FreeBlock(AllocBlock(0));
  for (int i = 0; i < 9000; ++i) FreeBlock(AllocBlock(8));  // more than one probe can hold
  EXPECT_EQ(system.heap_frees, 9002);
  system.heap_allows = 0;  // an exhausted heap shows its box and ends the run
  EXPECT_TRUE(!system.Run([] { AllocZeroed(10); }) && system.exit_code == 0);
  EXPECT_EQ(system.boxes, std::vector<std::string>{"error 16: " + texts::out_of_memory});
}

// Readable memory on Linux: the heap's break area is judged without a probe.
#include <unistd.h>

#include "testing/conformance.h"

TEST(Modules, TheBreakAreaIsReadableUpToItsEndAndNothingAroundIt) {
  const char* end = static_cast<const char*>(sbrk(4096)) + 4096;  // grown past where it began
  EXPECT_FALSE(os.IsBadReadPtr(end - 64, 64));
  EXPECT_TRUE(os.IsBadReadPtr(end - 64, 64 << 20));  // far past it: nothing is mapped there
  EXPECT_TRUE(os.IsBadReadPtr(reinterpret_cast<void*>(4096), 8));  // below: never mapped
}

// Readable memory on Linux: the heap's break area is judged without a probe.
#include <unistd.h>

#include "testing/conformance.h"

TEST(Modules, TheBreakAreaIsReadableUpToItsEndAndNoFurther) {
  const char* end = static_cast<const char*>(sbrk(0));
  EXPECT_FALSE(os.IsBadReadPtr(end - 64, 64));
  EXPECT_TRUE(os.IsBadReadPtr(end - 64, 64 << 20));  // far past it: nothing is mapped there
}

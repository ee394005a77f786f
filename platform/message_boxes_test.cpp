// Message boxes: the formatting of their texts.
#include "testing/conformance.h"

TEST(MessageBoxes, WsprintfSubsetUpTo1024Bytes) {
  char out[1100];
  EXPECT_EQ(os.wsprintfA(out, "%d|%i|%u|%x|%c%%", -42, 7, 4294967295u, 255, 'z'), 22);
  EXPECT_STREQ(out, "-42|7|4294967295|ff|z%");
  EXPECT_EQ(os.wsprintfA(out, "\xB4\xED%s[%s]", "\xD6\xD0", (char*)nullptr), 12);
  EXPECT_STREQ(out, "\xB4\xED\xD6\xD0[(null)]");
  os.wsprintfA(out, "%s", std::string(1024, 'x').c_str());  // one more than the limit takes
  EXPECT_EQ(out, std::string(1023, 'x'));
}

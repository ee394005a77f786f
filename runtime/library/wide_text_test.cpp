#include "runtime/library/wide_text.h"

#include <gtest/gtest.h>

#include "testing/fake_system.h"

using fake::Path;

TEST(SpecialFolderWide, TempAndSpecialFoldersAsThePlatformGivesThemWithOneSeparator) {
  fake::FakeSystem system;
  for (size_t length : {0, 8, 259, 260, 300, 0xFFFF}) {  // the platform's buffer holds 260 units
    std::string temp = length == 0 ? "" : Path("/") + std::string(length - 2, 'd') + Path("/");
    system.temp = fake::Wide(temp);
    EXPECT_EQ(fake::Take(SpecialFolderText(kTempFolderKind)), length < 0xFFFF ? temp : "");
  }
  const std::string specials[] = {"", "R:/D", "R:/D/", "/" + std::string(258, 'p')};
  for (const std::string& special : specials) {
    system.special = fake::Wide(Path(special));
    OwnedBytes wide(SpecialFolderWide(1));  // its units and one NUL unit
    std::string text = special.empty() || special.back() == '/' ? special : special + "/";
    EXPECT_EQ(BytesLength(wide.get()), special.empty() ? 0 : 2 * static_cast<int>(text.size()) + 2);
    EXPECT_EQ(fake::Take(WideToText(wide.get(), 936)), Path(text));
  }
  // Each other kind by Windows' number for it; an unknown one means the desktop; a csidl wins.
  for (int32_t kind : {2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 0}) FreeBlock(SpecialFolderWide(kind));
  FreeBlock(SpecialFolderWide(11, 26));
  EXPECT_EQ(system.Calls("SHGetSpecialFolderPathW"),
            (std::vector<std::string>{"5", "5", "5", "5", "6", "16", "20", "11", "2", "7", "26",
                                      "36", "37", "32", "35", "16", "26"}));
}

TEST(ConcatBytes, JoinsInOrder) {
  OwnedBytes a(TextToWide("a"));  // 61 00 00 00
  OwnedBytes joined(ConcatBytes({a.get(), nullptr, &EmptyBytes, a.get()}));
  ASSERT_EQ(BytesLength(joined.get()), 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(BytesData(joined.get())), 8),
            std::string("a\0\0\0a\0\0\0", 8));
  EXPECT_EQ(ConcatBytes({nullptr, &EmptyBytes}), nullptr);
}

#include "launcher/profile_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "testing/fake_system.h"

namespace {

using fake::Path;
using fake::Take;
using Lines = std::vector<std::string>;

TEST(ProfileFolder, TempAndSpecialFoldersAsThePlatformGivesThemWithOneSeparator) {
  fake::FakeSystem system;
  for (size_t length : {0, 8, 259, 260, 300}) {  // the platform's buffer holds 260 units
    std::string temp = length == 0 ? "" : Path("/") + std::string(length - 2, 'd') + Path("/");
    system.temp = fake::Wide(temp);
    EXPECT_EQ(Take(TempFolderText()), temp);
  }
  const std::string specials[] = {"", "R:/D", "R:/D/", "/" + std::string(258, 'p')};
  for (const std::string& special : specials) {
    system.special = fake::Wide(Path(special));
    OwnedBytes wide(SpecialFolderWide(1));  // its units and one NUL unit
    std::string text = special.empty() || special.back() == '/' ? special : special + "/";
    EXPECT_EQ(BytesLength(wide.get()), special.empty() ? 0 : 2 * static_cast<int>(text.size()) + 2);
    EXPECT_EQ(Take(WideToText(wide.get(), 936)), Path(text));
  }
  FreeBlock(SpecialFolderWide(0));       // an unknown kind means the desktop (16)
  FreeBlock(SpecialFolderWide(11, 26));  // a csidl given wins
  EXPECT_EQ(system.Calls("SHGetSpecialFolderPathW"), (Lines{"5", "5", "5", "5", "16", "26"}));
}

TEST(ProfileFolder, CreationWalksEveryFolderOutermostFirst) {
  // clang-format off
  const std::pair<std::string, Lines> cases[] = {{"R:/T/z/1", {"R:/T", "R:/T/z", "R:/T/z/1"}},
      {"/tmp/x", {"/tmp", "/tmp/x"}}, {"R:/a/", {"R:/a", "R:/a/"}}, {"R:/", {"R:/"}}, {"R:", {}},
      {"", {}}};
  // clang-format on
  for (const auto& [path, made] : cases) {
    fake::FakeSystem system;
    EXPECT_EQ(CreateDirectoryPath(Path(path).c_str()), !made.empty()) << path;
    EXPECT_EQ(DirectoryExists(Path(path).c_str()), !made.empty());
    Lines expected(made.size());
    std::transform(made.begin(), made.end(), expected.begin(), Path);
    EXPECT_EQ(system.Calls("CreateDirectoryW"), expected);
  }
}

TEST(ProfileFolder, TimestampsCountSecondsFromTheEpochThenMilliseconds) {
  fake::FakeSystem system;                    // its clock: 2024-01-15 10:20:30
  const DateTime epoch = 25569.333333333332;  // 1970-01-01 08:00:00
  // clang-format off
  const struct { std::optional<DateTime> time; std::optional<bool> seconds_only, pad;
                 const char* stamp; } cases[] = {{{}, {}, {}, "1705285230000"},
      {epoch, {}, {}, "0000"}, {epoch - 1, {}, {}, "-86400000"}, {epoch, {}, true, "0000000000000"},
      {epoch + 2000, {}, true, "0172800000000"}, {epoch + 1, true, true, "0000086400"},
      {epoch + 200000, true, {}, "1728000000"}};  // 11 digits cut to 10
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(Take(MakeTimestamp(c.time, c.seconds_only, c.pad)), c.stamp);
}

TEST(ProfileFolder, ConcatBytesJoinsInOrder) {
  OwnedBytes a(TextToWide("a"));  // 61 00 00 00
  OwnedBytes joined(ConcatBytes({a.get(), nullptr, &EmptyBytes, a.get()}));
  ASSERT_EQ(BytesLength(joined.get()), 8);
  EXPECT_EQ(std::memcmp(BytesData(joined.get()), "a\0\0\0a\0\0", 8), 0);
  EXPECT_EQ(ConcatBytes({nullptr, &EmptyBytes}), nullptr);
}

}  // namespace

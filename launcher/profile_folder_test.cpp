#include "launcher/profile_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/core/text.h"
#include "testing/fake_system.h"

using fake::Path;
using Lines = std::vector<std::string>;

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
    EXPECT_EQ(fake::Take(MakeTimestamp(c.time, c.seconds_only, c.pad)), c.stamp);
  EXPECT_EQ(RepeatText("0", 0), nullptr);  // the padding of one that needs none: no lone NUL
}

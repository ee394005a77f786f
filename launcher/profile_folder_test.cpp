#include "launcher/profile_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "runtime/core/memory.h"

namespace {

const std::string kSep = platform::kPathSeparator;

// A fake file system: the folder calls are recorded, the temporary-files and
// special folders are what the test says.
struct FakeFolders {
  std::u16string temp;
  std::u16string special;
  std::vector<int> csidls;
  std::vector<std::u16string> created;
  std::vector<std::u16string> directories;
};
FakeFolders g_fake;

platform::Api FakeFolderApi() {
  platform::Api api = platform::NativeApi();
  api.GetTempPathW = [](platform::DWORD size, platform::WCHAR* buffer) -> platform::DWORD {
    if (g_fake.temp.size() + 1 > size) return static_cast<platform::DWORD>(g_fake.temp.size() + 1);
    g_fake.temp.copy(buffer, g_fake.temp.size());
    buffer[g_fake.temp.size()] = 0;
    return static_cast<platform::DWORD>(g_fake.temp.size());
  };
  api.SHGetSpecialFolderPathW = [](platform::HWND, platform::WCHAR* path, int csidl,
                                   platform::BOOL) -> platform::BOOL {
    g_fake.csidls.push_back(csidl);
    if (g_fake.special.empty()) return platform::kFalse;
    g_fake.special.copy(path, g_fake.special.size());
    path[g_fake.special.size()] = 0;
    return platform::kTrue;
  };
  api.CreateDirectoryW = [](const platform::WCHAR* path, void*) -> platform::BOOL {
    g_fake.created.push_back(path);
    g_fake.directories.push_back(path);
    return platform::kTrue;
  };
  api.PathIsDirectoryW = [](const platform::WCHAR* path) -> platform::BOOL {
    if (path == nullptr) return platform::kFalse;
    for (const auto& d : g_fake.directories)
      if (d == path) return static_cast<platform::BOOL>(platform::FILE_ATTRIBUTE_DIRECTORY);
    return platform::kFalse;
  };
  return api;
}

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string Take(Text text) {
  OwnedText owned(text);
  return text == nullptr ? "<null>" : text;
}

std::u16string TakeWide(Bytes bytes) {
  OwnedBytes owned(bytes);
  if (bytes == nullptr) return u"<null>";
  // Exactly one NUL unit ends the units.
  EXPECT_EQ(bytes->length % 2, 0);
  const auto* units = reinterpret_cast<const char16_t*>(BytesData(bytes));
  size_t n = static_cast<size_t>(bytes->length) / 2;
  EXPECT_EQ(units[n - 1], 0);
  return std::u16string(units, n - 1);
}

class ProfileFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { g_fake = {}; }
  platform::Api api_ = FakeFolderApi();
  platform::ScopedApi use_{api_};
};

TEST_F(ProfileFolderTest, TempFolderIsTakenAsThePlatformGivesIt) {
  g_fake.temp = Wide("R:" + kSep + "Temp" + kSep);
  EXPECT_EQ(Take(TempFolderText()), "R:" + kSep + "Temp" + kSep);
  g_fake.temp = u"";
  EXPECT_EQ(Take(TempFolderText()), "<null>");
}

TEST_F(ProfileFolderTest, TempFolderLongerThanTheBufferIsFetchedWhole) {
  std::string long_path = kSep + std::string(300, 'd') + kSep;
  g_fake.temp = Wide(long_path);
  EXPECT_EQ(Take(TempFolderText()), long_path);
}

TEST_F(ProfileFolderTest, SpecialFoldersGainExactlyOneSeparator) {
  g_fake.special = Wide("R:" + kSep + "Docs");
  EXPECT_EQ(Take(SpecialFolderText(1)), "R:" + kSep + "Docs" + kSep);
  g_fake.special = Wide("R:" + kSep + "Docs" + kSep);
  EXPECT_EQ(Take(SpecialFolderText(1)), "R:" + kSep + "Docs" + kSep);
  // 259 units fill the platform's buffer; the separator still fits the result.
  g_fake.special = Wide(std::string(259, 'p'));
  EXPECT_EQ(TakeWide(SpecialFolderWide(2)), Wide(std::string(259, 'p') + kSep));
  g_fake.special = u"";
  EXPECT_EQ(TakeWide(SpecialFolderWide(1)), u"<null>");
}

TEST_F(ProfileFolderTest, KindsMapToTheirFoldersAndUnknownKindsToTheDesktop) {
  g_fake.special = u"x";
  for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 0, -4, 14})
    FreeBlock(SpecialFolderWide(kind));
  EXPECT_EQ(g_fake.csidls,
            (std::vector<int>{5, 6, 16, 20, 11, 2, 7, 26, 36, 37, 32, 35, 16, 16, 16}));
  FreeBlock(SpecialFolderWide(11, Given(26)));  // a csidl given wins over the kind
  EXPECT_EQ(g_fake.csidls.back(), 26);
}

TEST_F(ProfileFolderTest, TextAndWideConvertThroughCodePage936) {
  // 中文 in GBK and UTF-16.
  EXPECT_EQ(TakeWide(TextToWide("a\xD6\xD0\xCE\xC4")), u"a\u4E2D\u6587");
  EXPECT_EQ(TakeWide(TextToWide(nullptr)), u"<null>");
  OwnedBytes wide(TextToWide("\xD6\xD0\xCE\xC4z"));
  EXPECT_EQ(Take(WideToText(wide.get(), Given(936))), "\xD6\xD0\xCE\xC4z");
  EXPECT_EQ(Take(WideToText(nullptr, Given(936))), "<null>");
  // A character outside the code page comes back as the default character.
  const char16_t thai[] = u"\u0E01";
  struct {
    BytesHeader header;
    char16_t units[2];
  } block = {{1, 4}, {thai[0], 0}};
  EXPECT_EQ(Take(WideToText(&block.header, Given(936))), "?");
}

TEST_F(ProfileFolderTest, CreationWalksEveryFolderOutermostFirst) {
  std::string path = "R:" + kSep + "Temp" + kSep + "zelmorvika" + kSep + "1700000000000";
  EXPECT_TRUE(CreateDirectoryPath(path.c_str()));
  EXPECT_EQ(g_fake.created, (std::vector<std::u16string>{
                                Wide("R:" + kSep + "Temp"),
                                Wide("R:" + kSep + "Temp" + kSep + "zelmorvika"), Wide(path)}));
  EXPECT_TRUE(DirectoryExists(path.c_str()));
  EXPECT_FALSE(DirectoryExists(nullptr));
}

TEST_F(ProfileFolderTest, ShortPathsAndTrailingSeparators) {
  EXPECT_FALSE(CreateDirectoryPath("R:"));
  EXPECT_TRUE(g_fake.created.empty());
  std::string root = "R:" + kSep;
  CreateDirectoryPath(root.c_str());
  EXPECT_EQ(g_fake.created, std::vector<std::u16string>{Wide(root)});
  g_fake = {};
  std::string trailing = "R:" + kSep + "a" + kSep;
  CreateDirectoryPath(trailing.c_str());
  EXPECT_EQ(g_fake.created, (std::vector<std::u16string>{Wide("R:" + kSep + "a"), Wide(trailing)}));
  EXPECT_FALSE(CreateDirectoryPath(nullptr));
}

TEST_F(ProfileFolderTest, TimestampCountsSecondsFromTheEpochThenMilliseconds) {
  const DateTime epoch = 25569.333333333332;  // 1970-01-01 08:00:00
  EXPECT_EQ(Take(MakeTimestamp(Given(epoch))), "0000");
  EXPECT_EQ(Take(MakeTimestamp(Given(epoch), {}, Given(true))), "0000000000000");
  EXPECT_EQ(Take(MakeTimestamp(Given(epoch + 1.0))), "86400000");
  EXPECT_EQ(Take(MakeTimestamp(Given(epoch - 1.0))), "-86400000");
  // 2024-01-15 00:00:00 local.
  EXPECT_EQ(Take(MakeTimestamp(Given(45306.0))), "1705248000000");
  EXPECT_EQ(Take(MakeTimestamp(Given(45306.0), Given(true))), "1705248000");
  EXPECT_EQ(Take(MakeTimestamp(Given(epoch + 1.0), Given(true), Given(true))), "0000086400");
  std::string now = Take(MakeTimestamp());
  EXPECT_EQ(now.size(), 13u);
  EXPECT_EQ(now.substr(10), "000");
}

}  // namespace

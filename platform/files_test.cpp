// Files as the program opens them: existing files only, directories refused,
// sizes and reads as Windows reports them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"

namespace {

platform::HANDLE Open(const char* name) {
  return platform::Os().CreateFileA(
      name, platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, nullptr,
      platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

TEST(Files, MissingFilesAndDirectoriesDoNotOpen) {
  std::filesystem::create_directories("files_test_dir");
  std::filesystem::remove("files_test_missing");
  EXPECT_EQ(Open("files_test_missing"), platform::kInvalidHandle);
  EXPECT_EQ(Open("files_test_dir"), platform::kInvalidHandle);
  EXPECT_NE(platform::Os().PathFileExistsA("files_test_dir"), 0);
  EXPECT_EQ(platform::Os().PathFileExistsA("files_test_missing"), 0);
}

TEST(Files, SizeAndReadsUpToTheEnd) {
  const platform::Api& os = platform::Os();
  std::ofstream("files_test_data", std::ios::binary) << std::string("\xD6\xD0\r\n\0z", 6);
  platform::HANDLE file = Open("files_test_data");
  ASSERT_NE(file, platform::kInvalidHandle);
  platform::DWORD high = 7;
  EXPECT_EQ(os.GetFileSize(file, &high), 6u);
  EXPECT_EQ(high, 0u);
  char buffer[16] = {};
  platform::DWORD read = 0;
  EXPECT_NE(os.ReadFile(file, buffer, 4, &read, nullptr), 0);
  EXPECT_EQ(read, 4u);
  EXPECT_NE(os.ReadFile(file, buffer + 4, 10, &read, nullptr), 0);
  EXPECT_EQ(read, 2u);  // up to the end, with success
  EXPECT_EQ(std::string(buffer, 6), std::string("\xD6\xD0\r\n\0z", 6));
  EXPECT_NE(os.ReadFile(file, buffer, 10, &read, nullptr), 0);
  EXPECT_EQ(read, 0u);
  EXPECT_NE(os.CloseHandle(file), 0);
}

}  // namespace

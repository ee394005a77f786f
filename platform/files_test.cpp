// Files as the program opens them: existing files only, directories refused,
// sizes and reads as Windows reports them, bytes never converted.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/platform.h"

namespace {

const platform::DWORD kGenericWrite = 0x40000000;

void WriteFileBytes(const char* name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

platform::HANDLE Open(const char* name, platform::DWORD access = platform::GENERIC_READ) {
  return platform::Os().CreateFileA(
      name, access, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, nullptr,
      platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

TEST(Files, MissingFilesAndDirectoriesDoNotOpen) {
  const platform::Api& os = platform::Os();
  std::filesystem::create_directories("files_test_dir");
  EXPECT_EQ(Open("files_test_no_such_file"), platform::kInvalidHandle);
  EXPECT_EQ(Open("files_test_dir"), platform::kInvalidHandle);
  EXPECT_NE(os.PathFileExistsA("files_test_dir"), 0);
  EXPECT_EQ(os.PathFileExistsA("files_test_no_such_file"), 0);
}

TEST(Files, SizeAndReadsUpToTheEnd) {
  const platform::Api& os = platform::Os();
  WriteFileBytes("files_test_data", std::string("\xD6\xD0\r\n\0z", 6));
  EXPECT_NE(os.PathFileExistsA("files_test_data"), 0);
  platform::HANDLE file = Open("files_test_data");
  ASSERT_NE(file, platform::kInvalidHandle);
  platform::DWORD high = 7;
  EXPECT_EQ(os.GetFileSize(file, &high), 6u);
  EXPECT_EQ(high, 0u);
  char buffer[16] = {};
  platform::DWORD read = 99;
  EXPECT_NE(os.ReadFile(file, buffer, 4, &read, nullptr), 0);
  EXPECT_EQ(read, 4u);
  EXPECT_NE(os.ReadFile(file, buffer + 4, 10, &read, nullptr), 0);  // stops at the end
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(std::string(buffer, 6), std::string("\xD6\xD0\r\n\0z", 6));
  EXPECT_NE(os.ReadFile(file, buffer, 10, &read, nullptr), 0);  // at the end: success, nothing
  EXPECT_EQ(read, 0u);
  EXPECT_NE(os.CloseHandle(file), 0);
}

TEST(Files, AFileOpenForWritingElsewhereCanBeRead) {
  const platform::Api& os = platform::Os();
  std::ofstream writer("files_test_shared", std::ios::binary | std::ios::trunc);
  writer << "abc" << std::flush;
  platform::HANDLE file = Open("files_test_shared");
  ASSERT_NE(file, platform::kInvalidHandle);
  char buffer[8];
  platform::DWORD read = 0;
  EXPECT_NE(os.ReadFile(file, buffer, sizeof buffer, &read, nullptr), 0);
  EXPECT_EQ(std::string(buffer, read), "abc");
  os.CloseHandle(file);
}

TEST(Files, WritesToAFileAreRawBytes) {
  const platform::Api& os = platform::Os();
  WriteFileBytes("files_test_written", "");
  platform::HANDLE file = Open("files_test_written", kGenericWrite);
  ASSERT_NE(file, platform::kInvalidHandle);
  platform::DWORD written = 0;
  EXPECT_NE(os.WriteFile(file, "\xD6\xD0\xCE\xC4\n", 5, &written, nullptr), 0);
  EXPECT_EQ(written, 5u);
  os.CloseHandle(file);
  std::ifstream in("files_test_written", std::ios::binary);
  std::string back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(back, "\xD6\xD0\xCE\xC4\n");
}

}  // namespace

// Linux files: names in GBK, pipes and very large files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "platform/platform.h"

namespace {

platform::HANDLE Open(const char* name) {
  return platform::Os().CreateFileA(
      name, platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, nullptr,
      platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

TEST(PosixFiles, GbkNamesAreTheUtf8NamesOnDisk) {
  const platform::Api& os = platform::Os();
  const char* on_disk = "posix_files_\xE4\xB8\xAD.txt";
  std::fclose(std::fopen(on_disk, "w"));
  EXPECT_NE(os.PathFileExistsA("posix_files_\xD6\xD0.txt"), 0);
  platform::HANDLE file = Open("posix_files_\xD6\xD0.txt");
  EXPECT_NE(file, platform::kInvalidHandle);
  os.CloseHandle(file);
  std::remove(on_disk);
}

TEST(PosixFiles, ANamedPipeOpensAtOnceAndHasNoSize) {
  const platform::Api& os = platform::Os();
  const char* fifo = "posix_files_fifo";
  std::remove(fifo);
  ASSERT_EQ(mkfifo(fifo, 0600), 0);
  auto start = std::chrono::steady_clock::now();
  platform::HANDLE file = Open(fifo);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ASSERT_NE(file, platform::kInvalidHandle);
  EXPECT_EQ(os.GetFileSize(file, nullptr), platform::INVALID_FILE_SIZE);
  os.CloseHandle(file);
  std::remove(fifo);
}

TEST(PosixFiles, SizesOfFourGibibytesAndMoreHaveAHighPart) {
  const platform::Api& os = platform::Os();
  const char* big = "posix_files_big";
  int fd = open(big, O_CREAT | O_TRUNC | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  bool sparse = ftruncate(fd, (int64_t{1} << 32) + 5) == 0;
  close(fd);
  if (sparse) {
    platform::HANDLE file = Open(big);
    platform::DWORD high = 0;
    EXPECT_EQ(os.GetFileSize(file, &high), 5u);
    EXPECT_EQ(high, 1u);
    os.CloseHandle(file);
  }
  std::remove(big);
}

}  // namespace

// Linux files: names in GBK, named pipes and very large files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"

namespace {

platform::HANDLE Open(const char* name) {
  return platform::Os().CreateFileA(name, platform::GENERIC_READ, 0, nullptr,
                                    platform::OPEN_EXISTING, 0, nullptr);
}

TEST(PosixFiles, GbkNamesAreUtf8OnDiskAndPipesOpenAtOnceWithoutASize) {
  const platform::Api& os = platform::Os();
  std::fclose(std::fopen("posix_files_\xE4\xB8\xAD", "w"));
  EXPECT_NE(os.PathFileExistsA("posix_files_\xD6\xD0"), 0);
  EXPECT_NE(os.CloseHandle(Open("posix_files_\xD6\xD0")), 0);

  std::remove("posix_files_fifo");
  ASSERT_EQ(mkfifo("posix_files_fifo", 0600), 0);
  platform::HANDLE fifo = Open("posix_files_fifo");  // no writer: must not block
  EXPECT_EQ(os.GetFileSize(fifo, nullptr), platform::INVALID_FILE_SIZE);
  EXPECT_NE(os.CloseHandle(fifo), 0);
  EXPECT_EQ(os.CloseHandle(fifo), 0);  // already closed
}

TEST(PosixFiles, SizesOfFourGibibytesAndMoreHaveAHighPart) {
  int fd = open("posix_files_big", O_CREAT | O_TRUNC | O_WRONLY, 0600);
  if (ftruncate(fd, (int64_t{1} << 32) + 5) != 0) GTEST_SKIP() << "no sparse files here";
  close(fd);
  platform::HANDLE file = Open("posix_files_big");
  platform::DWORD high = 0;
  EXPECT_EQ(platform::Os().GetFileSize(file, &high), 5u);
  EXPECT_EQ(high, 1u);
  platform::Os().CloseHandle(file);
  std::remove("posix_files_big");
}

}  // namespace

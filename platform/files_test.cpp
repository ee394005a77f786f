// Files as the program opens and names them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

using namespace platform;

static const Api& os = NativeApi();

static HANDLE Open(const char* name) {
  return os.CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

TEST(Files, ExistingFilesOpenByTheirGbkNamesAndReadToTheEnd) {
  std::filesystem::create_directories("files_test_dir");
  std::ofstream(std::filesystem::path(u"files_test_\u4E2D"), std::ios::binary) << "\xD6\xD0\r\nz";
  EXPECT_TRUE(Open("files_test_dir") == kInvalidHandle && Open("files_test_no") == kInvalidHandle);
  EXPECT_TRUE(os.PathFileExistsA("files_test_dir") && !os.PathFileExistsA("files_test_no"));
  HANDLE file = Open("files_test_\xD6\xD0");
  DWORD high = 7, read = 9, size = os.GetFileSize(file, &high);
  char got[16] = {};
  EXPECT_TRUE(size == 5 && high == 0 && os.ReadFile(file, got, 3, &read, nullptr) && read == 3);
  EXPECT_TRUE(os.ReadFile(file, got + 3, 9, &read, nullptr) && read == 2 && os.CloseHandle(file));
  EXPECT_STREQ(got, "\xD6\xD0\r\nz");   // read to the end
  EXPECT_FALSE(os.CloseHandle(file));   // closed already
  constexpr DWORD kWrite = 0x40000000;  // GENERIC_WRITE: a handle that cannot read
  file = os.CreateFileA("files_test_\xD6\xD0", kWrite, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(!os.ReadFile(file, got, 3, &read, nullptr) && read == 0 && os.CloseHandle(file));
}

TEST(Files, RelativePathsAreTakenAgainstTheWorkingFolder) {
  const std::string sep = kPathSeparator, path = "zv" + sep + "name";
  const std::string full = std::filesystem::current_path().string() + sep + path;
  const DWORD size = DWORD(full.size());
  char got[1024], *name = nullptr;
  EXPECT_TRUE(os.PathIsRelativeA(path.c_str()) && !os.PathIsRelativeA((sep + "zv").c_str()));
  EXPECT_EQ(os.GetFullPathNameA(path.c_str(), 0, nullptr, nullptr), size + 1);  // NUL counted
  EXPECT_EQ(os.GetFullPathNameA(path.c_str(), size, got, &name), size + 1);
  EXPECT_EQ(os.GetFullPathNameA(path.c_str(), size + 1, got, &name), size);
  EXPECT_TRUE(got == full && name == got + size - 4);
}

TEST(Files, AFileDecidesWhatRunsOnlyWhenTheUserOrRootOwnsItAndEachLinkToIt) {
  EXPECT_EQ(os.GetForeignOwner("files_test_dir", nullptr, 0), 0u);  // the user's own
#ifndef _WIN32
  if (geteuid() != 0) return;  // planting another account's files takes root
  char pattern[] = "/tmp/zv-owners-XXXXXX", found[512];
  const std::string dir = mkdtemp(pattern), owner = '\0' + std::string(getpwuid(1)->pw_name) + '\0';
  std::ofstream(dir + "/theirs").close();
  symlink("theirs", (dir + "/mine").c_str());  // our link to another account's file
  symlink("/bin", (dir + "/link").c_str());    // another account's link to root's folder
  EXPECT_TRUE(!chown((dir + "/theirs").c_str(), 1, 1) && !lchown((dir + "/link").c_str(), 1, 1));
  DWORD n = os.GetForeignOwner((dir + "/./link/sh").c_str(), found, sizeof found);
  EXPECT_EQ(std::string(found, n), dir + "/link" + owner);
  n = os.GetForeignOwner((dir + "/../" + dir.substr(5) + "/mine").c_str(), found, sizeof found);
  EXPECT_EQ(std::string(found, n), dir + "/theirs" + owner);  // where the link leads
  std::filesystem::remove_all(dir);
#endif
}

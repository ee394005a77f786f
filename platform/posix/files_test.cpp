// Files on Linux: devices, and only what the user or root owns decides what runs.
#include <pwd.h>
#include <unistd.h>

#include <fstream>

#include "testing/conformance.h"

TEST(Files, ADeviceHasNoSizeAndOnlyFilesAndLinksOfTheUserOrRootDecideWhatRuns) {
  const std::string null_device = "/dev/null";
  HANDLE device = Open(null_device);
  DWORD high = 7;
  EXPECT_EQ(os.GetFileSize(device, &high), INVALID_FILE_SIZE);
  EXPECT_TRUE(high == 0 && os.CloseHandle(device));
  if (geteuid() != 0) GTEST_SKIP() << "planting another account's files takes root";
  const ScratchFolder folder;
  const std::string dir = folder.path.string(), owner = '\0' + std::string(getpwuid(1)->pw_name);
  std::ofstream(dir + "/theirs").close();
  symlink("theirs", (dir + "/mine").c_str());  // our link to another account's file
  symlink("/bin", (dir + "/link").c_str());    // another account's link to root's folder
  ASSERT_EQ(chown((dir + "/theirs").c_str(), 1, 1), 0);
  ASSERT_EQ(lchown((dir + "/link").c_str(), 1, 1), 0);
  const std::string back_in = dir + "/../" + folder.path.filename().string();
  for (const auto& [path, culprit] : {std::pair{dir + "/./link/sh", dir + "/link"},
                                      {back_in + "/mine", dir + "/theirs"}}) {  // where it leads
    char found[512];
    const DWORD n = os.GetForeignOwner(path.c_str(), found, sizeof found);
    EXPECT_EQ(std::string(found, n), culprit + owner + '\0') << path;
  }
}

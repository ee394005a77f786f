// Linux only: profile folders stay private to the user whatever is planted in
// a shared temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/posix/posix_backend.h"

namespace {

using platform::posix::CreateDirectoryW;
using platform::posix::PrivateFolderStatus;

constexpr uid_t kNobody = 65534;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

class PrivateFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zv-private-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
  int Status(const std::string& path) { return PrivateFolderStatus(Wide(path).c_str()); }
  bool Make(const std::string& path) { return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0; }

  std::string root_;
};

TEST_F(PrivateFolders, MadeFoldersArePrivateAndRecognised) {
  EXPECT_EQ(Status(root_ + "/profile"), platform::kFolderMissing);
  EXPECT_EQ(Status(root_ + "/missing/profile"), platform::kFolderMissing);
  ASSERT_TRUE(Make(root_ + "/profile"));
  struct stat st {};
  ASSERT_EQ(stat((root_ + "/profile").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(Status(root_ + "/profile"), platform::kFolderPrivate);
  EXPECT_EQ(Status(root_ + "/profile/"), platform::kFolderPrivate);
  EXPECT_FALSE(Make(root_ + "/profile"));  // only ever made fresh
  // The user's own link on the way is followed; a sticky shared folder is passed.
  ASSERT_EQ(symlink(root_.c_str(), (root_ + "/own-link").c_str()), 0);
  EXPECT_EQ(Status(root_ + "/own-link/profile"), platform::kFolderPrivate);
  ASSERT_EQ(mkdir((root_ + "/shared").c_str(), 0700), 0);
  ASSERT_EQ(chmod((root_ + "/shared").c_str(), 01777), 0);
  EXPECT_TRUE(Make(root_ + "/shared/profile"));
}

TEST_F(PrivateFolders, LinksFilesAndFoldersOthersCanWriteAreUnsafe) {
  ASSERT_EQ(mkdir((root_ + "/target").c_str(), 0700), 0);
  ASSERT_EQ(symlink((root_ + "/target").c_str(), (root_ + "/link").c_str()), 0);
  EXPECT_EQ(Status(root_ + "/link"), platform::kFolderUnsafe);
  ASSERT_EQ(mkdir((root_ + "/open").c_str(), 0700), 0);
  ASSERT_EQ(chmod((root_ + "/open").c_str(), 0777), 0);
  EXPECT_EQ(Status(root_ + "/open"), platform::kFolderUnsafe);
  FILE* file = fopen((root_ + "/file").c_str(), "w");
  fclose(file);
  EXPECT_EQ(Status(root_ + "/file"), platform::kFolderUnsafe);
}

TEST_F(PrivateFolders, NothingIsMadeInsideAFolderOrThroughALinkOfAnotherUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to plant another user's folder";
  std::string foreign = root_ + "/foreign";
  ASSERT_EQ(mkdir(foreign.c_str(), 0777), 0);
  ASSERT_EQ(chmod(foreign.c_str(), 0777), 0);
  ASSERT_EQ(chown(foreign.c_str(), kNobody, kNobody), 0);
  EXPECT_EQ(Status(foreign), platform::kFolderUnsafe);
  EXPECT_FALSE(Make(foreign + "/profile"));
  EXPECT_EQ(Status(foreign + "/profile"), platform::kFolderUnsafe);

  std::string link = root_ + "/planted";
  ASSERT_EQ(symlink(foreign.c_str(), link.c_str()), 0);
  ASSERT_EQ(lchown(link.c_str(), kNobody, kNobody), 0);
  EXPECT_FALSE(Make(link + "/profile"));
  // The user's own folders (and the system's, like /tmp) take new folders.
  EXPECT_TRUE(Make(root_ + "/mine"));
}

}  // namespace

// Folders: the temporary-files folder and the folders made in it.
#include "testing/conformance.h"

TEST(Folders, TheTempFolderEndsWithTheSeparatorAndFoldersAreMadeOnce) {
  WCHAR buffer[1024] = {};
  const std::u16string temp(buffer, os.GetTempPathW(1024, buffer)), sep(1, kPathSeparator[0]);
  EXPECT_TRUE(temp.ends_with(sep)) << std::filesystem::path(temp);
  EXPECT_EQ(os.GetTempPathW(2, buffer), temp.size() + 1);  // too small: the size, NUL counted
  const ScratchFolder folder;
  const std::u16string dir = folder.path.u16string() + sep + u"\u4E2D";
  const std::u16string in = dir + sep + u"a" + sep + u"b";  // in a folder that is missing
  EXPECT_EQ(os.PrivateFolderStatus(dir.c_str(), nullptr, 0), kFolderMissing);
  EXPECT_FALSE(os.PathIsDirectoryW(dir.c_str()));
  EXPECT_TRUE(os.CreateDirectoryW(dir.c_str(), nullptr));
  EXPECT_FALSE(os.CreateDirectoryW(dir.c_str(), nullptr));  // made already
  EXPECT_EQ(os.PathIsDirectoryW(dir.c_str()), BOOL(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(os.PrivateFolderStatus(dir.c_str(), nullptr, 0), kFolderPrivate);
  // The same folder, perhaps by another name: \u4E2D is not 8.3.
  const DWORD n = os.GetShortPathNameW(dir.c_str(), buffer, 1024);
  EXPECT_EQ(os.GetShortPathNameW(dir.c_str(), nullptr, 0), n + 1);
  EXPECT_EQ(n, DWORD(os.lstrlenW(buffer)));
  EXPECT_TRUE(os.PathIsDirectoryW(buffer)) << std::filesystem::path(buffer);
  EXPECT_EQ(os.GetShortPathNameW(in.c_str(), nullptr, 0), 0u);
  EXPECT_FALSE(os.CreateDirectoryW(in.c_str(), nullptr));
  EXPECT_EQ(os.PrivateFolderStatus(in.c_str(), nullptr, 0), kFolderMissing);
}

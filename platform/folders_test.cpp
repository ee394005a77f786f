// Folders: the temporary-files folder, the user's folders, the profile folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"

using namespace platform;

static const Api& os = NativeApi();

static std::u16string TempFolder() {
  WCHAR buffer[1024] = {};
  return std::u16string(buffer, os.GetTempPathW(1024, buffer));
}

TEST(Folders, TheTempFolderEndsWithTheSeparatorAndFoldersAreMadeOnce) {
  const std::u16string temp = TempFolder(), sep(1, kPathSeparator[0]);
  const std::u16string dir = temp + u"zv_folders_test_\u4E2D", in = dir + sep + u"a" + sep + u"b";
  WCHAR tiny[2] = {};
  EXPECT_TRUE(temp.ends_with(sep) && os.GetTempPathW(2, tiny) == temp.size() + 1);  // NUL counted
  std::filesystem::remove_all(std::filesystem::path(dir));
  EXPECT_FALSE(os.PrivateFolderStatus(dir.c_str(), nullptr, 0) || os.PathIsDirectoryW(dir.c_str()));
  EXPECT_TRUE(os.CreateDirectoryW(dir.c_str(), nullptr) && !os.CreateDirectoryW(dir.c_str(), 0));
  EXPECT_EQ(os.PathIsDirectoryW(dir.c_str()), 0x10);  // FILE_ATTRIBUTE_DIRECTORY
  EXPECT_EQ(os.PrivateFolderStatus(dir.c_str(), nullptr, 0), kFolderPrivate);
  WCHAR by_short_name[1024] = {};  // the same folder, perhaps by another name: \u4E2D is not 8.3
  const DWORD n = os.GetShortPathNameW(dir.c_str(), by_short_name, 1024);
  EXPECT_TRUE(n && os.GetShortPathNameW(dir.c_str(), 0, 0) == n + 1 &&
              n == DWORD(os.lstrlenW(by_short_name)));
  EXPECT_TRUE(os.PathIsDirectoryW(by_short_name) && !os.GetShortPathNameW(in.c_str(), 0, 0));
  EXPECT_FALSE(os.CreateDirectoryW(in.c_str(), 0) ||
               os.PrivateFolderStatus(in.c_str(), nullptr, 0));
}

#ifndef _WIN32
static std::u16string Wide(const std::string& s) { return std::filesystem::path(s).u16string(); }

struct Env {  // sets an environment variable for the life of the object
  const char *name, *value, *old = getenv(name);
  const std::string saved = old != nullptr ? old : "";
  const int set = setenv(name, value, 1);
  ~Env() { old != nullptr ? setenv(name, saved.c_str(), 1) : unsetenv(name); }
};

TEST(Folders, TheTempFolderIsTmpdirMadeFullAndTheDesktopIsFoundUnderTheHome) {
  const std::string cwd = std::filesystem::current_path().string(), home = cwd + "/folders_test";
  for (const auto& [tmpdir, expected] :
       {std::pair{std::string(), Wide("/tmp/")},
        {"zv/t", Wide(cwd + "/zv/t/")},
        {"/zv/a\377b\xE4\xB8\xAD", u"/zv/a\uFFFDb\u4E2D/"}}) {  // malformed: U+FFFD
    Env env{"TMPDIR", tmpdir.c_str()};
    EXPECT_EQ(TempFolder(), expected) << tmpdir;
  }
  std::filesystem::create_directories(home + "/.config");
  std::filesystem::create_directories(home + "/Desk");
  std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Desk\"\n";
  Env env_home{"HOME", home.c_str()}, config{"XDG_CONFIG_HOME", ""}, desk{"XDG_DESKTOP_DIR", ""};
  WCHAR buffer[260];
  EXPECT_TRUE(os.SHGetSpecialFolderPathW(nullptr, buffer, 16, 0) && buffer == Wide(home + "/Desk"));
}

TEST(Folders, PrivateFoldersAreReachedOnlyThroughFoldersAndLinksOfTheUserOrRoot) {
  char pattern[] = "/tmp/zv-private-XXXXXX";
  const std::string root = mkdtemp(pattern), mine = root + "/mine";
  std::u16string blamed;  // by the last status asked
  auto status = [&](const std::string& p) {
    WCHAR culprit[5000] = {};
    int got = os.PrivateFolderStatus(Wide(root + p).c_str(), culprit, 5000);
    return blamed = culprit, got;
  };
  auto make = [&](const std::string& p) { return os.CreateDirectoryW(Wide(root + p).c_str(), 0); };
  struct stat st {};
  EXPECT_TRUE(make("/mine") && !stat(mine.c_str(), &st) && (st.st_mode & 07777) == 0700);
  symlink(mine.c_str(), (root + "/own").c_str());
  const int in = dup(0);  // without standard input, a folder may come to descriptor 0
  close(0);
  EXPECT_TRUE(make("/own/a") && status("/own/a") == kFolderPrivate);
  EXPECT_TRUE(dup2(in, 0) == 0 && !close(in));
  EXPECT_TRUE(status("/own") == kFolderUnsafe && blamed == Wide(root + "/own"));  // a link
  // A folder others may write to is passed only when it is sticky.
  for (const auto& [mode, made_in] : {std::pair{0702, false}, {0720, false}, {01777, true}}) {
    chmod(mine.c_str(), mode);
    EXPECT_TRUE(status("/mine/") == kFolderUnsafe && blamed == Wide(mine)) << mode;
    EXPECT_EQ(make("/mine/in") && !rmdir((mine + "/in").c_str()), made_in) << mode;
  }
  // A path the system cannot take is neither made nor found, though its folders exist.
  std::string deep = "/mine";
  for (int n = 0; n < 20; ++n) deep += "/" + std::string(200, 'd');
  std::filesystem::create_directories(root + deep);
  EXPECT_FALSE(make(deep += "/" + std::string(100, 'x')) || status(deep));
  std::ofstream(root + "/file").close();
  EXPECT_TRUE(status("/file") == kFolderUnsafe && status("/file/in") == kFolderMissing);
  if (geteuid() == 0) {  // root can plant another user's folder, and link to a folder of ours
    symlink(mine.c_str(), (root + "/planted").c_str());
    EXPECT_TRUE(make("/foreign") && !chown((root + "/foreign").c_str(), 1, 1) &&
                !lchown((root + "/planted").c_str(), 1, 1));
    EXPECT_TRUE(status("/foreign") == kFolderForeign && !make("/foreign/in"));
    EXPECT_TRUE(status("/foreign/a/b") == kFolderForeign && blamed == Wide(root + "/foreign"));
    EXPECT_TRUE(status("/planted/a") == kFolderForeign && blamed == Wide(root + "/planted") &&
                !make("/planted/c"));
  }
  std::filesystem::remove_all(root);
}
#endif

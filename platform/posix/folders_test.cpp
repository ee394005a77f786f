// Folders on Linux: TMPDIR, the desktop under the home, and private folders.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "testing/conformance.h"

static std::u16string Wide(const std::string& s) { return std::filesystem::path(s).u16string(); }

struct Env {  // sets an environment variable for the life of the object
  const char *name, *value, *old = getenv(name);
  const std::string saved = old != nullptr ? old : "";
  const int set = setenv(name, value, 1);
  ~Env() { old != nullptr ? setenv(name, saved.c_str(), 1) : unsetenv(name); }
};

TEST(Folders, TheTempFolderIsTmpdirMadeFullAndTheDesktopIsFoundUnderTheHome) {
  const std::string cwd = std::filesystem::current_path().string();
  WCHAR buffer[1024];
  for (const auto& [tmpdir, expected] :
       {std::pair{std::string(), Wide("/tmp/")},
        {"zv/t", Wide(cwd + "/zv/t/")},
        {"/zv/a\377b\xE4\xB8\xAD", u"/zv/a\uFFFDb\u4E2D/"}}) {  // malformed: U+FFFD
    Env env{"TMPDIR", tmpdir.c_str()};
    EXPECT_EQ(std::u16string(buffer, os.GetTempPathW(1024, buffer)), expected) << tmpdir;
  }
  const ScratchFolder home;
  std::filesystem::create_directories(home.path / ".config");
  std::filesystem::create_directories(home.path / "Desk");
  std::ofstream(home.path / ".config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Desk\"\n";
  Env env_home{"HOME", home.path.c_str()}, config{"XDG_CONFIG_HOME", ""},
      desk{"XDG_DESKTOP_DIR", ""};
  EXPECT_TRUE(os.SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_DESKTOPDIRECTORY, 0));
  EXPECT_EQ(std::u16string(buffer), Wide(home / "Desk"));
}

TEST(Folders, PrivateFoldersAreReachedOnlyThroughFoldersAndLinksOfTheUserOrRoot) {
  const ScratchFolder scratch;
  const std::string root = scratch.path.string(), mine = root + "/mine";
  auto status = [&](const std::string& p) {  // the folder's status and the entry it blames
    WCHAR culprit[5000] = {};
    const int got = os.PrivateFolderStatus(Wide(root + p).c_str(), culprit, 5000);
    return std::pair<int, std::u16string>(got, culprit);
  };
  auto make = [&](const std::string& p) { return os.CreateDirectoryW(Wide(root + p).c_str(), 0); };
  struct stat st {};
  EXPECT_TRUE(make("/mine"));
  EXPECT_EQ(stat(mine.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0700u);
  symlink(mine.c_str(), (root + "/own").c_str());
  symlink("mine", (root + "/near").c_str());  // relative to the folder that holds it
  const int in = dup(0);  // without standard input, a folder may come to descriptor 0
  close(0);
  EXPECT_TRUE(make("/own/a"));
  EXPECT_EQ(status("/own/a").first, kFolderPrivate);
  EXPECT_EQ(status("/near/a").first, kFolderPrivate);
  dup2(in, 0), close(in);
  EXPECT_EQ(status("/own"), std::pair(kFolderUnsafe, Wide(root + "/own")));  // a link
  // A folder others may write to is passed only when it is sticky.
  for (const auto& [mode, made_in] : {std::pair{0702, false}, {0720, false}, {01777, true}}) {
    chmod(mine.c_str(), mode);
    EXPECT_EQ(status("/mine/"), std::pair(kFolderUnsafe, Wide(mine))) << mode;
    EXPECT_EQ(make("/mine/in") && !rmdir((mine + "/in").c_str()), made_in) << mode;
  }
  // A path of 4096 bytes, which leaves no room for the system's NUL, is neither made nor found,
  // though its folders exist (reachable from any temporary folder of 16 to 250 bytes).
  std::string deep = "/mine";
  for (int n = 0; n < 19; ++n) deep += "/" + std::string(200, 'd');
  std::filesystem::create_directories(root + deep);
  deep += "/" + std::string(4095 - root.size() - deep.size(), 'x');
  EXPECT_FALSE(make(deep));
  EXPECT_EQ(status(deep), std::pair(kFolderMissing, std::u16string()));  // none to blame
  std::ofstream(root + "/file").close();
  EXPECT_EQ(status("/file"), std::pair(kFolderUnsafe, Wide(root + "/file")));
  EXPECT_EQ(status("/file/in"), std::pair(kFolderMissing, std::u16string()));
  if (geteuid() != 0) GTEST_SKIP() << "planting another account's folders takes root";
  symlink(mine.c_str(), (root + "/planted").c_str());  // another account's link to our folder
  ASSERT_TRUE(make("/foreign"));
  ASSERT_EQ(chown((root + "/foreign").c_str(), 1, 1), 0);
  ASSERT_EQ(lchown((root + "/planted").c_str(), 1, 1), 0);
  for (const std::string p : {"/foreign", "/foreign/a/b", "/planted", "/planted/a"})
    EXPECT_EQ(status(p), std::pair(kFolderForeign, Wide(root + p.substr(0, 8)))) << p;
  EXPECT_FALSE(make("/foreign/in"));
  EXPECT_FALSE(make("/planted/c"));
}

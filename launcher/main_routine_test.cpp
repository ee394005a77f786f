#include "launcher/main_routine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "runtime/core/test_support.h"

namespace {

using testing_support::RunAsProgram;

const std::string kSep = platform::kPathSeparator;
const std::string kPathFile = "." + kSep + kSep + "path.txt";

// Everything the main routine touches, faked and recorded.
struct FakeMachine {
  std::map<std::string, bool> existing;  // PathFileExistsA
  std::string path_file;                 // contents of path.txt, when it can be opened
  bool path_file_opens = true;
  std::vector<std::string> typed;     // lines the user types, without CR LF
  std::string screen;                 // what was written, colours as <n>
  std::vector<std::string> commands;  // CreateProcessA command lines
  std::vector<platform::DWORD> sleeps;
  std::vector<std::u16string> created;
  std::vector<std::u16string> directories;
  std::vector<uintptr_t> icons;
  size_t reads = 0;
  std::u16string unsafe;               // a folder another user controls
  bool unsafe_after_creation = false;  // ... that appears only once ours is made
  bool read_only = false;              // no folder can be made
  bool no_temp = false;                // no temporary-files folder
};
FakeMachine g;

platform::HANDLE const kIn = reinterpret_cast<platform::HANDLE>(0x100);
platform::HANDLE const kOut = reinterpret_cast<platform::HANDLE>(0x101);
platform::HANDLE const kFile = reinterpret_cast<platform::HANDLE>(0x102);

platform::Api FakeMachineApi() {
  platform::Api api = platform::NativeApi();
  api.GetStdHandle = [](platform::DWORD which) -> platform::HANDLE {
    return which == platform::STD_INPUT_HANDLE ? kIn : kOut;
  };
  api.WriteFile = [](platform::HANDLE, const void* bytes, platform::DWORD count,
                     platform::DWORD* written, void*) -> platform::BOOL {
    g.screen.append(static_cast<const char*>(bytes), count);
    *written = count;
    return platform::kTrue;
  };
  api.SetConsoleTextAttribute = [](platform::HANDLE, platform::WORD attribute) -> platform::BOOL {
    g.screen += "<" + std::to_string(attribute) + ">";
    return platform::kTrue;
  };
  api.ReadConsoleA = [](platform::HANDLE, void* buffer, platform::DWORD, platform::DWORD* read,
                        void*) -> platform::BOOL {
    std::string line = (g.reads < g.typed.size() ? g.typed[g.reads] : "") + "\r\n";
    ++g.reads;
    std::memcpy(buffer, line.data(), line.size());
    *read = static_cast<platform::DWORD>(line.size());
    return platform::kTrue;
  };
  api.PathFileExistsA = [](const char* path) -> platform::BOOL {
    return path != nullptr && g.existing.count(path) != 0 ? platform::kTrue : platform::kFalse;
  };
  api.CreateFileA = [](const char* name, platform::DWORD, platform::DWORD, void*, platform::DWORD,
                       platform::DWORD, platform::HANDLE) -> platform::HANDLE {
    return name == kPathFile && g.path_file_opens ? kFile : platform::kInvalidHandle;
  };
  api.GetFileSize = [](platform::HANDLE, platform::DWORD* high) -> platform::DWORD {
    if (high != nullptr) *high = 0;
    return static_cast<platform::DWORD>(g.path_file.size());
  };
  api.ReadFile = [](platform::HANDLE, void* buffer, platform::DWORD count, platform::DWORD* read,
                    void*) -> platform::BOOL {
    std::memcpy(buffer, g.path_file.data(), count);
    *read = count;
    return platform::kTrue;
  };
  api.CloseHandle = [](platform::HANDLE) -> platform::BOOL { return platform::kTrue; };
  // NOLINTNEXTLINE(readability-non-const-parameter): CreateProcessA's own signature
  api.CreateProcessA = [](const char*, char* command_line, void*, void*, platform::BOOL,
                          platform::DWORD, void*, const char*, platform::STARTUPINFOA*,
                          platform::PROCESS_INFORMATION* info) -> platform::BOOL {
    g.commands.push_back(command_line);
    *info = {kFile, kFile, 1, 1};
    return platform::kTrue;
  };
  api.Sleep = [](platform::DWORD ms) { g.sleeps.push_back(ms); };
  api.GetTempPathW = [](platform::DWORD, platform::WCHAR* buffer) -> platform::DWORD {
    if (g.no_temp) return 0;
    std::u16string temp = u"R:";
    temp += static_cast<char16_t>(platform::kPathSeparator[0]);
    temp += u"T m p";
    temp += static_cast<char16_t>(platform::kPathSeparator[0]);
    temp.copy(buffer, temp.size());
    buffer[temp.size()] = 0;
    return static_cast<platform::DWORD>(temp.size());
  };
  api.CreateDirectoryW = [](const platform::WCHAR* path, void*) -> platform::BOOL {
    g.created.push_back(path);
    for (const auto& d : g.directories)
      if (d == path) return platform::kFalse;
    if (g.read_only) return platform::kFalse;
    g.directories.push_back(path);
    return platform::kTrue;
  };
  api.PathIsRelativeA = [](const char* path) -> platform::BOOL {
    return path[0] != '/' && (path[0] == 0 || path[1] != ':') ? platform::kTrue : platform::kFalse;
  };
  api.GetFullPathNameA = [](const char* path, platform::DWORD size, char* buffer,
                            char**) -> platform::DWORD {
    std::string full = "W:" + kSep + "work" + kSep + path;
    if (size <= full.size()) return static_cast<platform::DWORD>(full.size() + 1);
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    return static_cast<platform::DWORD>(full.size());
  };
  api.PathIsDirectoryW = [](const platform::WCHAR* path) -> platform::BOOL {
    for (const auto& d : g.directories)
      if (path != nullptr && d == path)
        return static_cast<platform::BOOL>(platform::FILE_ATTRIBUTE_DIRECTORY);
    return platform::kFalse;
  };
  api.PrivateFolderStatus = [](const platform::WCHAR* path) -> int {
    if (path == g.unsafe && (!g.unsafe_after_creation || !g.created.empty()))
      return platform::kFolderUnsafe;
    for (const auto& d : g.directories)
      if (d == path) return platform::kFolderPrivate;
    return platform::kFolderMissing;
  };
  api.GetLocalTime = [](platform::SYSTEMTIME* t) { *t = {2024, 1, 1, 15, 10, 20, 30, 999}; };
  api.LoadIconA = [](platform::HMODULE, const char* id) -> platform::HICON {
    g.icons.push_back(reinterpret_cast<uintptr_t>(id));
    return nullptr;
  };
  return api;
}

testing_support::RunResult RunTool() {
  static platform::Api api;
  api = FakeMachineApi();
  return RunAsProgram([] { LauncherEntry(); }, api);
}

class MainRoutineTest : public ::testing::Test {
 protected:
  void SetUp() override { g = {}; }
};

const std::string kFolder = "R:" + kSep + "T m p" + kSep + "zelmorvika" + kSep + "1705285230000";

TEST(LauncherTexts, HaveTheirExactLengths) {
  EXPECT_EQ(std::strlen(kBanner), 610u);
  EXPECT_EQ(std::strlen(kCountPrompt), 69u);
  OwnedText message(NotFoundMessage());
  EXPECT_EQ(TextLength(message.get()), 161u + std::strlen(platform::kDefaultBrowserPath));
  // Every box line is 65 bytes, its closing asterisk in one column.
  std::string banner = kBanner;
  size_t at = banner.find("\r\n", 2) + 2;
  for (int line = 0; line < 9; ++line) {
    size_t end = banner.find("\r\n", at);
    EXPECT_EQ(end - at, 65u) << line;
    EXPECT_EQ(banner[end - 1], '*') << line;
    at = end + 2;
  }
}

TEST(LauncherTexts, CommandLineQuotesTheFolderOnlyWhenItMustBe) {
  OwnedText plain(BrowserCommandLine("C:\\b.exe", "C:\\Temp\\zelmorvika\\1"));
  EXPECT_STREQ(plain.get(), "\"C:\\b.exe\" --user-data-dir=C:\\Temp\\zelmorvika\\1");
  OwnedText spaced(BrowserCommandLine("C:\\b.exe", "C:\\Users\\A B\\x\\"));
  EXPECT_STREQ(spaced.get(), "\"C:\\b.exe\" --user-data-dir=\"C:\\Users\\A B\\x\\\\\"");
  OwnedText tab(BrowserCommandLine("b", "/t\tq/\"z"));
  EXPECT_STREQ(tab.get(), "\"b\" --user-data-dir=\"/t\tq/\\\"z\"");
  for (const char* folder : {"C:\\R&D\\", "a|b", "a<b", "a>b", "a^b", "(a)"}) {
    OwnedText batch(BrowserCommandLine("b", folder));
    EXPECT_EQ(std::string(batch.get()).substr(20, 1), "\"") << folder;
  }
}

TEST_F(MainRoutineTest, DefaultBrowserStartsCountTimesWithOneFreshFolder) {
  g.existing[platform::kDefaultBrowserPath] = true;
  g.typed = {"3"};
  auto run = RunTool();
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(g.screen, std::string("<10>") + kBanner + kCountPrompt);
  std::string expected =
      std::string("\"") + platform::kDefaultBrowserPath + "\" --user-data-dir=\"" + kFolder + "\"";
  EXPECT_EQ(g.commands, std::vector<std::string>(3, expected));
  EXPECT_EQ(g.sleeps, std::vector<platform::DWORD>(3, 500));
  ASSERT_EQ(g.created.size(), 3u);  // the temp folder, zelmorvika, the folder: once
  EXPECT_EQ(g.icons, std::vector<uintptr_t>{129});
}

TEST_F(MainRoutineTest, PathFileReplacesTheDefaultAfterTrimmingSpaces) {
  g.existing[kPathFile] = true;
  g.existing["D:\\chrome.exe"] = true;
  g.path_file =
      " \xA1\xA1"
      "D:\\chrome.exe  ";
  g.typed = {"\xA3\xB2"};  // full-width two
  RunTool();
  ASSERT_EQ(g.commands.size(), 2u);
  EXPECT_EQ(g.commands[0].substr(0, 17), "\"D:\\chrome.exe\" -");
}

TEST_F(MainRoutineTest, PathFileThatCannotBeUsedGivesTheNotFoundMessage) {
  for (const std::string& contents :
       {std::string("D:\\chrome.exe\r\n"), std::string("   "), std::string()}) {
    g = {};
    g.existing[kPathFile] = true;
    g.existing["D:\\chrome.exe"] = true;
    g.existing[platform::kDefaultBrowserPath] = true;  // never tried again
    g.path_file = contents;
    auto run = RunTool();
    OwnedText message(NotFoundMessage());
    EXPECT_EQ(g.screen, std::string("<10>") + kBanner + "<12>" + message.get());
    EXPECT_EQ(g.reads, 1u);  // the wait for Enter
    EXPECT_TRUE(g.commands.empty());
    EXPECT_EQ(run.exit_code, 0);
  }
  g = {};
  g.existing[kPathFile] = true;
  g.path_file_opens = false;
  RunTool();
  EXPECT_TRUE(g.commands.empty());
}

TEST_F(MainRoutineTest, BrowserPathIsUnquotedAndMadeAbsoluteBeforeItIsChecked) {
  const std::string full = "W:" + kSep + "work" + kSep + "fb.exe";
  for (const std::string& contents : {std::string("fb.exe"), std::string("\"fb.exe\"")}) {
    g = {};
    g.existing[kPathFile] = true;
    g.existing["fb.exe"] = true;  // a namesake the platform might search for
    g.existing[full] = true;
    g.path_file = contents;
    g.typed = {"1"};
    RunTool();
    ASSERT_EQ(g.commands.size(), 1u) << contents;
    EXPECT_EQ(g.commands[0].substr(0, full.size() + 2), "\"" + full + "\"");
  }
  for (const std::string& contents :
       {std::string("a\"b"), std::string("\""), std::string("\"\"")}) {
    g = {};
    g.existing[kPathFile] = true;
    g.existing[contents] = true;
    g.existing["W:" + kSep + "work" + kSep + contents] = true;
    g.path_file = contents;
    RunTool();
    EXPECT_TRUE(g.commands.empty()) << contents;
    EXPECT_EQ(g.reads, 1u) << contents;  // the wait after the not-found message
  }
}

TEST_F(MainRoutineTest, TakenNameGivesTheNextMillisecondsAndNoFolderGivesAMessage) {
  g.existing[platform::kDefaultBrowserPath] = true;
  g.typed = {"1"};
  std::u16string taken(kFolder.begin(), kFolder.end());
  g.directories = {taken, taken.substr(0, taken.size() - 1) + u"1"};
  RunTool();
  ASSERT_EQ(g.commands.size(), 1u);
  EXPECT_EQ(g.commands[0].substr(g.commands[0].size() - 14), "1705285230002\"");

  for (bool no_temp : {false, true}) {
    g = {};
    g.existing[platform::kDefaultBrowserPath] = true;
    g.typed = {"2"};
    g.read_only = !no_temp;
    g.no_temp = no_temp;
    auto run = RunTool();
    EXPECT_TRUE(g.commands.empty());
    const std::string folder = no_temp ? "zelmorvika" + kSep + "1705285230000" : kFolder;
    OwnedText message(FolderNotMadeMessage(folder.c_str()));
    EXPECT_EQ(g.screen, std::string("<10>") + kBanner + kCountPrompt + "<12>" + message.get());
    EXPECT_EQ(g.reads, 2u);
    EXPECT_EQ(run.exit_code, 0);
  }
}

TEST_F(MainRoutineTest, CountsThatAreNotPositiveStartNothingAndCreateNothing) {
  for (const char* typed :
       {"abc", "", "0", "-2", " ", "4294967298",
        "\xA3\xB4\xA3\xB2\xA3\xB9\xA3\xB4\xA3\xB9\xA3\xB6\xA3\xB7\xA3\xB2\xA3\xB9\xA3\xB8"}) {
    g = {};
    g.existing[platform::kDefaultBrowserPath] = true;
    g.typed = {typed};
    auto run = RunTool();
    EXPECT_TRUE(g.commands.empty()) << typed;
    EXPECT_TRUE(g.created.empty()) << typed;
    EXPECT_TRUE(g.sleeps.empty()) << typed;
    EXPECT_EQ(run.exit_code, 0);
  }
}

TEST_F(MainRoutineTest, ConsoleColoursAreForegroundOrOneOfFourBackgrounds) {
  platform::Api api = FakeMachineApi();
  platform::ScopedApi use(api);
  EXPECT_TRUE(SetConsoleColour(2));
  EXPECT_TRUE(SetConsoleColour(4, Given(false)));
  EXPECT_TRUE(SetConsoleColour(1, Given(true)));
  EXPECT_TRUE(SetConsoleColour(3, Given(true)));
  EXPECT_TRUE(SetConsoleColour(65535));
  EXPECT_EQ(g.screen, "<10><12><144><128><7>");
  auto run = RunAsProgram([] { SetConsoleColour(5, Given(true)); }, api);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_NE(run.boxes[0].text.find(":67185960,396("), std::string::npos);
  EXPECT_EQ(run.exit_code, 0);
}

TEST_F(MainRoutineTest, FolderAnotherUserControlsNeverGetsTheProfile) {
  const std::string parent = "R:" + kSep + "T m p" + kSep + "zelmorvika";
  for (bool race : {false, true}) {
    g = {};
    g.existing[platform::kDefaultBrowserPath] = true;
    g.typed = {"2"};
    g.unsafe = std::u16string(parent.begin(), parent.end());
    g.unsafe_after_creation = race;
    auto run = RunTool();
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_TRUE(g.commands.empty()) << race;
    // Planted beforehand: nothing is made in it. Planted in the race: found
    // before the browser starts.
    EXPECT_EQ(g.created.empty(), !race);
    OwnedText message(UnsafeFolderMessage(parent.c_str()));
    EXPECT_EQ(g.screen, std::string("<10>") + kBanner + kCountPrompt + "<12>" + message.get());
    EXPECT_EQ(g.reads, 2u);  // the count, then the wait for Enter
  }
}

}  // namespace

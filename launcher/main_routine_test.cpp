#include "launcher/main_routine.h"

#include <gtest/gtest.h>

#include "launcher/browser.h"
#include "launcher/texts.h"
#include "testing/fake_system.h"

using fake::Path;
using fake::Wide;
using Lines = std::vector<std::string>;

const std::string kBrowser = platform::kDefaultBrowserPath;
const std::string kParent = Path("R:/T m p/zelmorvika");
const std::string kFolder = kParent + Path("/1705285230000");  // named by the fake clock

const std::string kPrompted = "<10>" + texts::banner + texts::count_prompt;  // <n>: a colour

static std::string Start(const std::string& browser, const std::string& folder = kFolder) {
  return "\"" + browser + "\" --user-data-dir=\"" + folder + "\"";
}
static std::string Unsafe(const std::string& entry, bool foreign = false) {  // in red, as shown
  return "<12>" + texts::unsafe_head + entry +
         (foreign ? texts::unsafe_foreign_tail : texts::unsafe_tail);
}
static std::string NotMade(const std::string& folder) {
  return "<12>" + texts::not_made_head + folder + texts::not_made_tail;
}
static std::string TempName(const std::string& folder) {
  return "<12>" + texts::temp_name_head + folder + texts::temp_name_tail +
         platform::kTempFolderVariable + texts::temp_name_end;
}

// A machine with the browser in its default place and a temporary-files folder.
struct Machine : fake::FakeSystem {
  Machine() {
    files[kBrowser];
    temp = Wide(Path("R:/T m p/"));
    folders.insert(Wide(Path("R:/T m p")));
  }
  void Tool(const Lines& typed) {  // runs the program, the user typing `typed`
    lines = typed;
    EXPECT_TRUE(!Run(LauncherEntry) && exit_code == 0);
  }
};

TEST(MainRoutine, StartsTheBrowserAsOftenAsTheCountTypedOnOneFreshFolder) {
  for (const auto& [typed, starts] :
       {std::pair<std::string, size_t>{"3\r\n", 3}, {" 1", 1}, {"0", 0}, {"4294967298", 0}}) {
    Machine m;
    m.Tool({typed});
    EXPECT_EQ(m.out, kPrompted);
    EXPECT_EQ(m.Calls("CreateProcessA"), Lines(starts, Start(kBrowser))) << typed;
    EXPECT_EQ(m.Calls("Sleep"), Lines(starts, "500"));
    EXPECT_EQ(m.Calls("CreateDirectoryW"),
              starts == 0 ? Lines{} : (Lines{Path("R:/T m p"), kParent, kFolder}));
  }
}

TEST(MainRoutine, ATakenNameGivesWayToTheNextMillisecondAndOnlyAFreshPrivateFolderIsUsed) {
  Machine taken;
  taken.folders.insert({Wide(kFolder), Wide(kParent + Path("/1705285230001"))});
  taken.Tool({"1\r\n"});
  EXPECT_EQ(taken.Calls("CreateProcessA"),
            Lines{Start(kBrowser, kParent + Path("/1705285230002"))});
  Machine hangul;  // a temporary-files folder GBK cannot write goes by its short name
  hangul.temp = Wide(Path("R:/")) + u"\uAE40" + Wide(Path("/"));
  hangul.short_names[hangul.temp] = Wide(Path("R:/T m p/"));
  hangul.Tool({"1\r\n"});
  EXPECT_EQ(hangul.Calls("CreateProcessA"), Lines{Start(kBrowser)});
  // clang-format off
  const struct { void (*set)(Machine&); std::string message; size_t starts = 0; } cases[] = {
      {[](Machine& m) { m.folders_allowed = 0; }, NotMade(kFolder)},
      {[](Machine& m) { m.folders_allowed = 1, m.unsafe = {Wide(kParent)}, m.unsafe_after = 1; },
       Unsafe(kParent)},
      {[](Machine& m) { m.temp.clear(); }, NotMade(Path("zelmorvika/1705285230000"))},
      {[](Machine& m) { for (int64_t s = 1705285230000; s < 1705285231000; ++s)  // a second's names
                          m.folders.insert(Wide(kParent + Path("/") + std::to_string(s))); },
       NotMade(kParent + Path("/1705285230999"))},
      // The user's own folder, refused for another account's entry on the way.
      {[](Machine& m) { m.unsafe = {Wide(kParent + "-7")}, m.user_folder_suffix = "-7",
                        m.blamed = u"R:", m.foreign = true; }, Unsafe("R:", true)},
      {[](Machine& m) { m.unsafe = {Wide(kFolder)}; }, Unsafe(kFolder)},
      // A folder that turns unsafe after the first start.
      {[](Machine& m) { m.unsafe = {Wide(kFolder)}; m.unsafe_after = 3; }, Unsafe(kFolder), 1},
      // A temporary-files folder GBK cannot write, without a short name.
      {[](Machine& m) { m.temp[4] = u'\u0E01'; }, TempName(Path("R:/T?m p/"))}};
  // clang-format on
  for (const auto& c : cases) {
    Machine m;
    c.set(m);
    m.Tool({"2\r\n"});
    EXPECT_EQ(m.out, kPrompted + c.message);
    EXPECT_EQ(m.Calls("ReadConsoleA").size(), 2u);  // the count, then the wait for Enter
    EXPECT_EQ(m.Calls("CreateProcessA").size(), c.starts);
  }
}

static std::string Utf16(const std::u16string& text, bool big_endian) {  // with its byte-order mark
  std::string bytes;
  for (char16_t unit : u"\uFEFF" + text)
    bytes += {char(unit >> (big_endian ? 8 : 0)), char(unit >> (big_endian ? 0 : 8))};
  return bytes;
}

TEST(MainRoutine, PathFileIsReadInEachEncodingEditorsSaveItIn) {
  const std::string gbk = kBrowser + "\xD6\xD0", utf8 = kBrowser + "\xE4\xB8\xAD";  // 中
  const std::string either = kBrowser + "\xD6\xB0";  // 职 in GBK, and valid UTF-8
  auto refused = [](const std::string& shown) {      // GBK lacks what is shown as "?"
    return "<10>" + texts::banner + "<12>" + texts::unusable_head + kBrowser + shown +
           texts::unusable_tail;
  };
  const std::pair<std::string, std::string> cases[] = {
      {" \xA1\xA1" + gbk + " \t\r\n", Start(gbk)},
      {utf8 + "\r\n", Start(gbk)},
      {"\xEF\xBB\xBF" + kBrowser + "\n", Start(kBrowser)},
      {Utf16(Wide(kBrowser) + u"\u4E2D\r\n", false), Start(gbk)},
      {Utf16(Wide(kBrowser) + u"\u4E2D", true), Start(gbk)},
      {either, Start(either)},
      {"\"" + either + "\"", Start(either)},
      {kBrowser + "\xC3\xB6", Start(kBrowser + "~1")},  // ö, outside GBK: by its short name
      {kBrowser + "\xC3\xA4", refused("?")},            // ä, without one
      {kBrowser + "\xF0\x9F\x98\x80", refused("??")}};  // four bytes of UTF-8, two units
  for (const auto& [content, expected] : cases) {
    Machine m;
    m.files[Path(".//path.txt")] = content;
    m.files[gbk], m.files[either], m.files[kBrowser + "~1"];
    m.short_names[Wide(kBrowser) + u"\u00F6"] = Wide(kBrowser + "~1");
    m.Tool({"1"});
    const Lines starts = m.Calls("CreateProcessA");
    EXPECT_EQ(starts.empty() ? m.out : starts[0], expected) << content;
  }
}

TEST(MainRoutine, ABatchFileBrowserIsNotHandedAFolderWithAPercentSign) {
  Machine m;  // the command interpreter, which runs it, would expand %OS%
  const std::string batch = kBrowser + ".CMD.", temp = Path("R:/%OS%/");
  m.files[batch], m.files[Path(".//path.txt")] = batch;
  m.temp = Wide(temp), m.folders.insert(Wide(Path("R:/%OS%")));
  m.Tool({"1"});
  const bool refused = platform::kRunsBatchFiles;  // only on Windows
  EXPECT_EQ(m.out,
            kPrompted + (refused ? "<12>" + texts::percent_head + temp + texts::percent_tail : ""));
  EXPECT_EQ(m.Calls("CreateProcessA").size(), refused ? 0u : 1u);
}

TEST(MainRoutine, AnotherAccountsPathFileOrBrowserOrLinkToThemStartsNothing) {
  const std::string path_file = Path(".//path.txt"),
                    refused = "<10>" + texts::banner + "<12>" + texts::foreign_head + "R:/link" +
                              texts::foreign_middle + "bob" + texts::foreign_tail;
  for (const std::string& judged : {path_file, kBrowser}) {
    Machine m;
    m.files[path_file] = kBrowser;
    m.foreign_files[judged] = std::string("R:/link\0bob\0", 12);
    m.Tool({"1\r\n"});
    EXPECT_EQ(m.out, refused);  // and no prompt
  }
}

TEST(SetConsoleColour, BrightTextOrOneOfFourBrightBackgrounds) {
  fake::FakeSystem system;
  // clang-format off
  const struct { int32_t colour; std::optional<bool> background; } cases[] = {
      {2, {}}, {4, false}, {65535, {}}, {1, true}, {2, true}, {3, true}, {4, true}};
  // clang-format on
  for (const auto& c : cases) EXPECT_TRUE(SetConsoleColour(c.colour, c.background));
  EXPECT_EQ(system.out, "<10><12><7><144><160><128><192>");
  for (int32_t colour : {0, 5})
    EXPECT_FALSE(system.Run([colour] { SetConsoleColour(colour, true); }));
  EXPECT_EQ(system.boxes, Lines(2, "error 16: " + texts::colour_report));
  system.console = false;
  EXPECT_FALSE(SetConsoleColour(2));
}

TEST(BrowserCommandLine, QuotesTheFolderOnlyWhenItMust) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {{"C:\\T\\1", "C:\\T\\1"},
      {"/t/z/1", "/t/z/1"}, {"C:\\A B\\", "\"C:\\A B\\\\\""},
      {"a\t\\\"b\\\\", "\"a\t\\\\\\\"b\\\\\\\\\""}, {"R&D", "\"R&D\""}, {"a|b", "\"a|b\""},
      {"a<b", "\"a<b\""}, {"a>b", "\"a>b\""}, {"a^b", "\"a^b\""}, {"(a", "\"(a\""},
      {"a)", "\"a)\""}};
  // clang-format on
  for (const auto& [folder, argument] : cases)
    EXPECT_EQ(OwnedText(BrowserCommandLine("b", folder.c_str())).get(),
              "\"b\" --user-data-dir=" + argument);
}

TEST(BrowserCommandLine, BatchFilesAreKnownByTheirNameAsWindowsReadsIt) {
  for (const char* name : {"a.bat", "C:\\R\\RUN.CMD", "b.Bat. .", ".cmd"})
    EXPECT_TRUE(IsBatchFile(name)) << name;
  for (const char* name : {"a.bat.exe", "bat", "a.cm", "a.batch", "a.bat\\x", ""})
    EXPECT_FALSE(IsBatchFile(name)) << name;
}

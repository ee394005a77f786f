#include "launcher/main_routine.h"

#include <gtest/gtest.h>

#include "launcher/texts.h"
#include "platform/testing/fake_system.h"

namespace {

using fake::Path;
using fake::Wide;
using Lines = std::vector<std::string>;

const std::string kBrowser = platform::kDefaultBrowserPath;
const std::string kParent = Path("R:/T m p/zelmorvika");
const std::string kFolder = kParent + Path("/1705285230000");  // named by the fake clock

const std::string kPrompted = "<10>" + texts::banner + texts::count_prompt;  // <n>: a colour

std::string Start(const std::string& browser, const std::string& folder = kFolder) {
  return "\"" + browser + "\" --user-data-dir=\"" + folder + "\"";
}
std::string Unsafe(const std::string& entry, bool foreign = false) {  // in red, as shown
  return "<12>" + texts::unsafe_head + entry +
         (foreign ? texts::unsafe_foreign_tail : texts::unsafe_tail);
}
std::string NotMade(const std::string& folder) {
  return "<12>" + texts::not_made_head + folder + texts::not_made_tail;
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
    EXPECT_FALSE(Run(LauncherEntry));
    EXPECT_EQ(exit_code, 0);
  }
};

TEST(MainRoutine, StartsTheBrowserAsOftenAsTheCountTypedOnOneFreshFolder) {
  for (const auto& [typed, starts] :
       {std::pair<std::string, size_t>{"3\r\n", 3}, {" 1", 1}, {"0", 0}}) {
    Machine m;
    m.Tool({typed});
    EXPECT_EQ(m.out, kPrompted);
    EXPECT_EQ(m.Calls("CreateProcessA"), Lines(starts, Start(kBrowser))) << typed;
    EXPECT_EQ(m.Calls("Sleep"), Lines(starts, "500"));
    EXPECT_EQ(m.Calls("CreateDirectoryW"),
              starts == 0 ? Lines{} : (Lines{Path("R:/T m p"), kParent, kFolder}));
  }
}

void TakeASecondOfNames(Machine& m) {
  for (int64_t stamp = 1705285230000; stamp < 1705285231000; ++stamp)
    m.folders.insert(Wide(kParent + Path("/") + std::to_string(stamp)));
}

TEST(MainRoutine, ATakenNameGivesWayToTheNextMillisecondAndOnlyAFreshPrivateFolderIsUsed) {
  Machine taken;
  taken.folders.insert({Wide(kFolder), Wide(kParent + Path("/1705285230001"))});
  taken.Tool({"1\r\n"});
  EXPECT_EQ(taken.Calls("CreateProcessA"),
            Lines{Start(kBrowser, kParent + Path("/1705285230002"))});
  // clang-format off
  const struct { void (*set)(Machine&); std::string message; size_t starts = 0; } cases[] = {
      {[](Machine& m) { m.folders_allowed = 0; }, NotMade(kFolder)},
      {[](Machine& m) { m.folders_allowed = 1, m.unsafe = {Wide(kParent)}, m.unsafe_after = 1; },
       Unsafe(kParent)},
      {[](Machine& m) { m.temp.clear(); }, NotMade(Path("zelmorvika/1705285230000"))},
      {TakeASecondOfNames, NotMade(kParent + Path("/1705285230999"))},
      // The user's own folder, refused for another account's entry on the way.
      {[](Machine& m) { m.unsafe = {Wide(kParent + "-7")}, m.user_folder_suffix = "-7",
                        m.blamed = u"R:", m.foreign = true; }, Unsafe("R:", true)},
      {[](Machine& m) { m.unsafe = {Wide(kParent)}; m.unsafe_after = 1; }, Unsafe(kParent)},
      {[](Machine& m) { m.unsafe = {Wide(kFolder)}; }, Unsafe(kFolder)},
      // A folder that turns unsafe after the first start.
      {[](Machine& m) { m.unsafe = {Wide(kFolder)}; m.unsafe_after = 3; }, Unsafe(kFolder), 1},
      // A temporary-files folder GBK cannot write names another folder.
      {[](Machine& m) { m.temp[4] = u'\u0E01'; }, Unsafe(Path("R:/T?m p/zelmorvika"))}};
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
  const struct { int32_t colour; Optional<bool> background; } cases[] = {
      {2, {}}, {4, Given(false)}, {65535, {}}, {1, Given(true)}, {2, Given(true)}, {3, Given(true)},
      {4, Given(true)}};
  // clang-format on
  for (const auto& c : cases) EXPECT_TRUE(SetConsoleColour(c.colour, c.background));
  EXPECT_EQ(system.out, "<10><12><7><144><160><128><192>");
  for (int32_t colour : {0, 5})
    EXPECT_FALSE(system.Run([colour] { SetConsoleColour(colour, Given(true)); }));
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

}  // namespace

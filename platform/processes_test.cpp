// Starting programs: their arguments, working folder and end, and failures.
#include <fstream>

#include "testing/conformance.h"

using Args = std::vector<std::string>;
static const std::string kRecorder = "\"" ZV_ARGS_RECORDER "\" ";

// Starts `line` in `directory` and waits up to `ms` for its end (0: it runs on); false if not.
static bool Start(const std::string& line, const char* directory, DWORD ms = INFINITE) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!os.CreateProcessA(nullptr, std::string(line).data(), nullptr, nullptr, kTrue, 0, nullptr,
                         directory, &startup, &process))
    return false;
  EXPECT_EQ(os.WaitForSingleObject(process.hProcess, ms), ms != 0 ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
  return os.CloseHandle(process.hProcess) && os.CloseHandle(process.hThread);
}

TEST(StartProgram, CommandLinesAreSplitLikeTheCRuntimeDoesWithoutAShellInTheFolderGiven) {
  const ScratchFolder folder;
  const std::pair<const char*, Args> cases[] = {
      {" a  b\tc ", {"a", "b", "c"}},
      {"\"a b\"\t\"c\td\" x\"a b\"y", {"a b", "c\td", "xa by"}},
      {"\"\" a \"b c", {"", "a", "b c"}},  // empty, and an unclosed quote
      {"a\\\\\\\"b c", {"a\\\"b", "c"}},
      {"a\\\\\\\\\"b c\" d", {"a\\\\b c", "d"}},
      {"\\\" x\\ \"C:\\My Dir\\\\\"", {"\"", "x\\", "C:\\My Dir\\"}},
      {"a\"b\"\" c d", {"ab\" c d"}},  // two quotes inside quotes: one literal quote
      {"$HOME a;b `x` |", {"$HOME", "a;b", "`x`", "|"}}};
  for (auto [tail, expected] : cases) {
    std::filesystem::remove(folder.path / "args");
    EXPECT_TRUE(Start(kRecorder + "args " + tail, folder.path.string().c_str())) << tail;
    std::ifstream recorded(folder.path / "args", std::ios::binary);  // written where it started
    Args args;
    for (std::string arg; std::getline(recorded, arg, '\0');) args.push_back(arg);
    expected.insert(expected.begin(), ZV_ARGS_RECORDER);  // the program's name, unquoted
    EXPECT_EQ(args, expected) << tail;
  }
}

TEST(StartProgram, ProgramsNotWaitedForRunOnAndThoseThatCannotStartFail) {
  const ScratchFolder folder;
  const std::string missing = folder / "missing";
  // Runs on (and writes nothing: its file would be in the missing folder).
  EXPECT_TRUE(Start(kRecorder + "\"" + missing + kPathSeparator + "late\" sleep", nullptr, 0));
  EXPECT_TRUE(Start(kRecorder + "args", folder.path.string().c_str(), 60000));  // ends in time
  EXPECT_FALSE(Start(kRecorder + "args", missing.c_str()));
  const std::filesystem::path here = std::filesystem::current_path(), recorder = ZV_ARGS_RECORDER;
  std::filesystem::current_path(recorder.parent_path());  // a bare name found in the working folder
  EXPECT_TRUE(Start(recorder.filename().string() + " args", folder.path.string().c_str()));
  std::filesystem::current_path(here);
  for (const char* line : {"zv_no_such_program_here --flag", "\"./zv no/such\"", ""})
    EXPECT_FALSE(Start(line, nullptr)) << line;
  EXPECT_EQ(os.WaitForSingleObject(nullptr, 0), WAIT_FAILED);  // no program to wait for
  const std::string own = os.GetCommandLineA();                // this program's, its name first
  EXPECT_NE(own.find("platform_test"), std::string::npos) << own;
  EXPECT_NE(own.back(), ' ') << own;
}

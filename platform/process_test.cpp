// Starting programs: their arguments, working folder and end, and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"

using namespace platform;

static const Api& os = NativeApi();
static const std::string kRecorder = std::string("\"") + ZV_ARGS_RECORDER + "\" ";
using Args = std::vector<std::string>;

// What the recorder wrote: its argv[0], then the arguments after the file name.
static Args Recorded(const std::string& file = "process_test.bin") {
  std::ifstream in(file, std::ios::binary);
  Args args;
  for (std::string arg; std::getline(in, arg, '\0');) args.push_back(arg);
  return args;
}

// Starts `line`, waiting for the program when `wait`; false when it did not start.
static bool Start(const std::string& line, bool wait = true, const char* directory = nullptr) {
  std::remove("process_test.bin");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!os.CreateProcessA(nullptr, std::string(line).data(), nullptr, nullptr, kTrue, 0, nullptr,
                         directory, &startup, &process))
    return false;
  EXPECT_EQ(os.WaitForSingleObject(process.hProcess, wait ? INFINITE : 0), wait ? 0 : 0x102u);
  return os.CloseHandle(process.hProcess) && os.CloseHandle(process.hThread);
}

TEST(StartProgram, CommandLinesAreSplitLikeTheCRuntimeDoesWithoutAShell) {
  const std::pair<const char*, Args> cases[] = {
      {" a  b\tc ", {"a", "b", "c"}},
      {"\"a b\"\t\"c\td\" x\"a b\"y", {"a b", "c\td", "xa by"}},
      {"\"\" a \"b c", {"", "a", "b c"}},  // empty, and an unclosed quote
      {"a\\\\\\\"b c", {"a\\\"b", "c"}},
      {"a\\\\\\\\\"b c\" d", {"a\\\\b c", "d"}},
      {"\\\" x\\ \"C:\\My Dir\\\\\"", {"\"", "x\\", "C:\\My Dir\\"}},
      {"a\"b\"\" c d", {"ab\" c d"}},  // two quotes inside quotes: one literal quote
      {"$HOME a;b `x` |", {"$HOME", "a;b", "`x`", "|"}},
#ifndef _WIN32
      {"\xD6\xD0\xCE\xC4", {"\xE4\xB8\xAD\xE6\x96\x87"}},  // in the system's character set
#endif
  };
  for (auto [tail, expected] : cases) {
    expected.insert(expected.begin(), ZV_ARGS_RECORDER);  // the program's name, unquoted
    EXPECT_TRUE(Start(kRecorder + "process_test.bin " + tail)) << tail;
    EXPECT_EQ(Recorded(), expected) << tail;
  }
}

TEST(StartProgram, ProgramsNotWaitedForRunOnAndStartInTheFolderGiven) {
  EXPECT_TRUE(Start(kRecorder + "process_test_late.bin sleep", false));  // runs on
  std::filesystem::create_directories("process_test_dir");
  std::filesystem::remove("process_test_dir/process_test.bin");
  EXPECT_TRUE(Start(kRecorder + "process_test.bin", true, "process_test_dir"));
  EXPECT_EQ(Recorded("process_test_dir/process_test.bin").size(), 1u);
  EXPECT_FALSE(Start(kRecorder + "process_test.bin", true, "process_test_missing"));
  EXPECT_FALSE(Start("zv_no_such_program_here --flag") || Start("\"./zv no/such\"") || Start(""));
  EXPECT_EQ(os.WaitForSingleObject(nullptr, 0), 0xFFFFFFFFu);  // no program to wait for
}

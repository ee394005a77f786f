// Starting programs: the arguments a command line gives the started program,
// waiting for it, and failing to start one.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace {

using Args = std::vector<std::string>;
const char kRecord[] = "process_test_args.bin";
const std::string kRecorder = std::string("\"") + ZV_ARGS_RECORDER + "\"";

// What the recorder wrote: its argv[0], then the arguments after the file name.
Args Recorded() {
  std::ifstream in(kRecord, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Args args;
  for (size_t start = 0, nul; (nul = all.find('\0', start)) != std::string::npos; start = nul + 1)
    args.push_back(all.substr(start, nul - start));
  return args;
}

// Starts `line`, waiting for the program when `wait`; false when it did not start.
bool Start(const std::string& command, bool wait = true) {
  std::string line = command;  // CreateProcessA may write into it
  const platform::Api& os = platform::Os();
  std::remove(kRecord);
  platform::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  platform::PROCESS_INFORMATION process{};
  if (os.CreateProcessA(nullptr, line.data(), nullptr, nullptr, platform::kTrue, 0, nullptr,
                        nullptr, &startup, &process) == 0)
    return false;
  EXPECT_EQ(os.WaitForSingleObject(process.hProcess, wait ? platform::INFINITE : 0),
            wait ? 0u : 0x102u);  // 0x102: timed out, still running
  EXPECT_NE(os.CloseHandle(process.hProcess), 0);
  EXPECT_NE(os.CloseHandle(process.hThread), 0);
  return true;
}

Args ArgumentsOf(const std::string& tail) {
  if (!Start(kRecorder + " " + kRecord + " " + tail)) return {"<not started>"};
  Args args = Recorded();
  if (!args.empty()) args.erase(args.begin());
  return args;
}

TEST(CommandLine, SplitLikeTheCRuntime) {
  const std::pair<const char*, Args> cases[] = {
      {"a b\tc", {"a", "b", "c"}},
      {"  a   b  ", {"a", "b"}},
      {"\"a b\"\t\"c\td\" x\"a b\"y", {"a b", "c\td", "xa by"}},
      {"\"\" a \"b c", {"", "a", "b c"}},  // empty, and an unclosed quote
      {"a\"\"b", {"ab"}},
      {"a\\\\b d\"e f\"g h", {"a\\\\b", "de fg", "h"}},
      {"a\\\\\\\"b c", {"a\\\"b", "c"}},
      {"a\\\\\\\\\"b c\" d", {"a\\\\b c", "d"}},
      {"\\\" x\\ \"C:\\My Dir\\\\\"", {"\"", "x\\", "C:\\My Dir\\"}},
      {"a\"b\"\" c d", {"ab\" c d"}},  // two quotes inside quotes: one literal quote
      {"\"a\"\"b\" c", {"a\"b", "c"}},
  };
  for (const auto& [tail, expected] : cases) EXPECT_EQ(ArgumentsOf(tail), expected) << tail;
}

TEST(CommandLine, TheProgramNameRunsToTheFirstBlankOutsideQuotes) {
  ASSERT_TRUE(Start(kRecorder + " " + kRecord));
  EXPECT_EQ(Recorded(), (Args{ZV_ARGS_RECORDER}));
  // The program started is the quoted one; the name it is given runs on.
  ASSERT_TRUE(Start(kRecorder + "x\"y z\" " + kRecord));
  EXPECT_EQ(Recorded(), (Args{std::string(ZV_ARGS_RECORDER) + "xy z"}));
}

TEST(StartProgram, ANameThatIsNoProgramIsNotStarted) {
  EXPECT_FALSE(Start("zv_no_such_program_here --flag"));
  EXPECT_FALSE(Start("\"./zv missing dir/zv_no_such_program\""));
  EXPECT_FALSE(Start(""));
}

TEST(StartProgram, WaitingEndsWithTheProgramAndWithoutWaitingItRunsOn) {
  // The recorder sleeps a second before it writes its record.
  EXPECT_EQ(ArgumentsOf("sleep"), (Args{"sleep"}));
  ASSERT_TRUE(Start(kRecorder + " " + kRecord + " sleep", false));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (Recorded().empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(Recorded().size(), 2u);
}

}  // namespace

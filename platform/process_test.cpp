// Starting programs: how a command line reaches the started program as
// arguments, waiting for it, and failing to start one.
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

const char kRecord[] = "process_test_args.bin";

std::vector<std::string> ReadRecord(const char* name) {
  std::ifstream in(name, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] != 0) continue;
    args.push_back(all.substr(start, i - start));
    start = i + 1;
  }
  return args;
}

// Starts `command_line` and waits for it; true when it was started.
bool StartAndWait(std::string command_line) {
  const platform::Api& os = platform::Os();
  platform::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  os.GetStartupInfoA(&startup);
  startup.dwFlags = platform::STARTF_USESHOWWINDOW;
  startup.wShowWindow = platform::SW_HIDE;
  platform::PROCESS_INFORMATION process{};
  if (os.CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, platform::kTrue, 0, nullptr,
                        nullptr, &startup, &process) == 0)
    return false;
  EXPECT_EQ(os.WaitForSingleObject(process.hProcess, platform::INFINITE), 0u);
  EXPECT_NE(os.CloseHandle(process.hProcess), 0);
  EXPECT_NE(os.CloseHandle(process.hThread), 0);
  return true;
}

// The arguments the recorder received for `tail`, after its own file name.
std::vector<std::string> ArgumentsOf(const std::string& tail) {
  std::remove(kRecord);
  std::string line = std::string("\"") + ZV_ARGS_RECORDER + "\" " + kRecord + " " + tail;
  if (!StartAndWait(line)) return {"<not started>"};
  std::vector<std::string> args = ReadRecord(kRecord);
  if (!args.empty()) args.erase(args.begin());  // the program name
  return args;
}

using Args = std::vector<std::string>;

TEST(CommandLine, BlanksSeparateArgumentsOutsideQuotes) {
  EXPECT_EQ(ArgumentsOf("a b\tc"), (Args{"a", "b", "c"}));
  EXPECT_EQ(ArgumentsOf("  a   b  "), (Args{"a", "b"}));
  EXPECT_EQ(ArgumentsOf("\"a b\"\t\"c\td\""), (Args{"a b", "c\td"}));
  EXPECT_EQ(ArgumentsOf("x\"a b\"y z"), (Args{"xa by", "z"}));
}

TEST(CommandLine, EmptyAndUnclosedQuotes) {
  EXPECT_EQ(ArgumentsOf("\"\" a"), (Args{"", "a"}));
  EXPECT_EQ(ArgumentsOf("a \"b c"), (Args{"a", "b c"}));
  EXPECT_EQ(ArgumentsOf("a\"\"b"), (Args{"ab"}));
}

TEST(CommandLine, BackslashesCountOnlyBeforeAQuote) {
  EXPECT_EQ(ArgumentsOf("a\\\\b d\"e f\"g h"), (Args{"a\\\\b", "de fg", "h"}));
  EXPECT_EQ(ArgumentsOf("a\\\\\\\"b c d"), (Args{"a\\\"b", "c", "d"}));
  EXPECT_EQ(ArgumentsOf("a\\\\\\\\\"b c\" d e"), (Args{"a\\\\b c", "d", "e"}));
  EXPECT_EQ(ArgumentsOf("\\\" x\\"), (Args{"\"", "x\\"}));
  EXPECT_EQ(ArgumentsOf("C:\\dir\\ \"C:\\My Dir\\\\\""), (Args{"C:\\dir\\", "C:\\My Dir\\"}));
}

TEST(CommandLine, TwoQuotesInsideQuotesGiveOneQuote) {
  EXPECT_EQ(ArgumentsOf("a\"b\"\" c d"), (Args{"ab\" c d"}));
  EXPECT_EQ(ArgumentsOf("\"a\"\"b\" c"), (Args{"a\"b", "c"}));
}

TEST(CommandLine, TheProgramNameRunsToTheFirstBlankOutsideQuotes) {
  std::remove(kRecord);
  ASSERT_TRUE(StartAndWait(std::string("\"") + ZV_ARGS_RECORDER + "\" " + kRecord));
  EXPECT_EQ(ReadRecord(kRecord), (Args{ZV_ARGS_RECORDER}));
  // The program started is the quoted one; the name the program sees runs on
  // to the next blank.
  std::remove(kRecord);
  ASSERT_TRUE(StartAndWait(std::string("\"") + ZV_ARGS_RECORDER + "\"x\"y z\" " + kRecord));
  EXPECT_EQ(ReadRecord(kRecord), (Args{std::string(ZV_ARGS_RECORDER) + "xy z"}));
}

TEST(StartProgram, ANameThatIsNoProgramIsNotStarted) {
  EXPECT_FALSE(StartAndWait("zv_no_such_program_here --flag"));
  EXPECT_FALSE(StartAndWait("\"./zv missing dir/zv_no_such_program\""));
  EXPECT_FALSE(StartAndWait(""));
}

TEST(StartProgram, WaitingReturnsOnlyAfterTheProgramEnded) {
  // The recorder sleeps a second before it writes its record.
  EXPECT_EQ(ArgumentsOf("sleep"), (Args{"sleep"}));
}

TEST(StartProgram, WithoutWaitingTheProgramRunsOn) {
  const platform::Api& os = platform::Os();
  std::remove(kRecord);
  std::string line = std::string("\"") + ZV_ARGS_RECORDER + "\" " + kRecord + " sleep";
  platform::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  platform::PROCESS_INFORMATION process{};
  ASSERT_NE(os.CreateProcessA(nullptr, line.data(), nullptr, nullptr, platform::kTrue, 0, nullptr,
                              nullptr, &startup, &process),
            0);
  EXPECT_NE(os.WaitForSingleObject(process.hProcess, 0), 0u);  // still sleeping
  EXPECT_NE(os.CloseHandle(process.hProcess), 0);
  EXPECT_NE(os.CloseHandle(process.hThread), 0);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (ReadRecord(kRecord).empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ReadRecord(kRecord).size(), 2u);
}

}  // namespace

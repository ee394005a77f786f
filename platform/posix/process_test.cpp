// Starting programs on Linux: no shell, PATH lookup, /dev/null streams, an
// own session, and no zombie left behind.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace {

const char kOut[] = "posix_process_test.out";

std::string Slurp() {
  std::ifstream in(kOut, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Start(const std::string& command, platform::PROCESS_INFORMATION* process) {
  std::string line = command;  // CreateProcessA may write into it
  platform::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return platform::Os().CreateProcessA(nullptr, line.data(), nullptr, nullptr, platform::kTrue, 0,
                                       nullptr, nullptr, &startup, process) != 0;
}

bool StartAndWait(const std::string& line) {
  const platform::Api& os = platform::Os();
  std::remove(kOut);
  platform::PROCESS_INFORMATION process{};
  if (!Start(line, &process)) return false;
  os.WaitForSingleObject(process.hProcess, platform::INFINITE);
  os.CloseHandle(process.hProcess);
  os.CloseHandle(process.hThread);
  return true;
}

// Runs `body` in a child process, which has no children of its own yet;
// true when the body returned true and no child of it is left, zombies included.
template <typename Body>
bool WithoutChildrenLeft(Body body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body() && waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD ? 0 : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(PosixStartProgram, StreamsAreDevNullAndTheProgramLeadsItsOwnSession) {
  // "sh" has no slash: it is found through PATH.
  ASSERT_TRUE(StartAndWait(std::string("sh -c \"echo $(readlink /proc/$$/fd/0 /proc/$$/fd/1 "
                                       "/proc/$$/fd/2) $(cut -d' ' -f6 /proc/$$/stat) $$ > ") +
                           kOut + "\""));
  std::istringstream shown(Slurp());
  std::string in, out, err, session, pid;
  shown >> in >> out >> err >> session >> pid;
  EXPECT_EQ(in + " " + out + " " + err, "/dev/null /dev/null /dev/null");
  EXPECT_FALSE(pid.empty());
  EXPECT_EQ(session, pid);
}

TEST(PosixStartProgram, ArgumentsReachTheProgramWithoutAShellAndInUtf8) {
  ASSERT_TRUE(StartAndWait(std::string("\"") + ZV_ARGS_RECORDER + "\" " + kOut +
                           " $HOME a;b * `x` \xD6\xD0\xCE\xC4"));
  EXPECT_EQ(Slurp(), std::string(ZV_ARGS_RECORDER) +
                         std::string("\0$HOME\0a;b\0*\0`x`\0\xE4\xB8\xAD\xE6\x96\x87\0", 24));
}

TEST(PosixStartProgram, AFileThatCannotRunGivesFalseAndNoZombie) {
  const char* script = "posix_process_test_script";
  std::ofstream(script) << "touch " << kOut << "\n";  // no "#!": only a shell would run it
  chmod(script, 0755);
  EXPECT_TRUE(WithoutChildrenLeft([&] {
    return !StartAndWait("zv_no_such_program_anywhere") &&
           !StartAndWait(std::string("./") + script) && !StartAndWait("/etc/passwd");
  }));
  EXPECT_NE(access(kOut, F_OK), 0);
}

TEST(PosixStartProgram, AProgramLeftRunningIsCollectedOnceItEnds) {
  EXPECT_TRUE(WithoutChildrenLeft([] {
    const platform::Api& os = platform::Os();
    platform::PROCESS_INFORMATION process{};
    if (!Start("sleep 0.2", &process)) return false;
    os.CloseHandle(process.hProcess);
    os.CloseHandle(process.hThread);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    return !StartAndWait("zv_no_such_program_anywhere");  // any start collects ended programs
  }));
}

}  // namespace

// The Linux console: a driver program runs the console operations on a
// pseudo-terminal, or with redirected streams, and prints their results as
// "<<HEX>>".
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Args = std::vector<std::string>;

struct Session {
  std::string seen;  // everything the driver wrote
  int status = -1;
  termios after{};  // terminal settings after the driver ended
  double seconds = 0;
  std::string Result(size_t n = 0) const {  // the n-th "<<...>>", from 0
    size_t at = 0;
    for (size_t i = 0, from = 0; i <= n; ++i, from = at + 2)
      if ((at = seen.find("<<", from)) == std::string::npos) return "<none>";
    return seen.substr(at + 2, seen.find(">>", at) - at - 2);
  }
};

[[noreturn]] void ExecDriver(const Args& args) {
  setenv("LC_ALL", "C.UTF-8", 1);
  if (getenv("NO_COLOR") == nullptr) setenv("TERM", "xterm", 1);
  std::vector<char*> argv{const_cast<char*>(ZV_CONSOLE_DRIVER)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(ZV_CONSOLE_DRIVER, argv.data());
  _exit(127);
}

// Reads until `marker` appears, or to the end when it is empty; 10 s at most.
bool ReadUntil(int fd, std::string& seen, const std::string& marker) {
  auto deadline = Clock::now() + std::chrono::seconds(10);
  while (marker.empty() || seen.find(marker) == std::string::npos) {
    pollfd p{fd, POLLIN, 0};
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return marker.empty();
    seen.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

int Reap(pid_t pid) {
  int status = 0;
  for (int i = 0; i < 500 && waitpid(pid, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (kill(pid, SIGKILL) == 0) waitpid(pid, &status, 0);
  return status;
}

// Runs the driver on a terminal of its own; once it shows READY (and, with
// `raw`, has left line mode), types `keys`.
Session OnTerminal(const Args& args, const std::string& keys = "", bool raw = false) {
  Session s;
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) ExecDriver(args);
  if (!keys.empty() && ReadUntil(master, s.seen, "READY")) {
    for (int i = 0;
         raw && i < 10000 && tcgetattr(master, &s.after) == 0 && (s.after.c_lflag & ICANON) != 0;
         ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  ReadUntil(master, s.seen, "");
  s.status = Reap(pid);
  tcgetattr(master, &s.after);
  close(master);
  return s;
}

// Runs the driver without a terminal: input from `input` (a file name or
// /dev/null), output into a pipe that the test reads or, with `hang_up`,
// closes at once.
Session Redirected(const Args& args, const char* input = "/dev/null", bool hang_up = false) {
  Session s;
  int fds[2];
  if (pipe(fds) != 0) return s;
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    setsid();
    dup2(open(input, O_RDONLY), 0);
    dup2(fds[1], 1);
    ExecDriver(args);
  }
  close(fds[1]);
  if (hang_up) close(fds[0]);
  if (!hang_up) ReadUntil(fds[0], s.seen, "");
  s.status = Reap(pid);
  if (!hang_up) close(fds[0]);
  s.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return s;
}

TEST(ConsoleLineInput, TheTerminalEditsAndEchoesAndTheLineComesBackInGbk) {
  Session echo = OnTerminal({"read"}, "12\r");
  EXPECT_EQ(echo.Result(), "3132");
  EXPECT_NE(echo.seen.find("12\r\n<<"), std::string::npos);  // the terminal's echo
  EXPECT_EQ(OnTerminal({"read"},
                       "13\x7f"
                       "2\r")
                .Result(),
            "3132");
  EXPECT_EQ(OnTerminal({"read"}, "  7 \r").Result(), "20203720");
  EXPECT_EQ(OnTerminal({"read"}, "\xE4\xB8\xAD\xF0\x9F\x98\x80\r").Result(), "D6D03F");
  EXPECT_EQ(OnTerminal({"read"}, "\r").Result(), "");
  EXPECT_EQ(OnTerminal({"read", "omitted"}, "5\r").Result(), "35");
}

TEST(ConsoleLineInput, ALineLongerThanTheBufferComesInPieces) {
  Session s = OnTerminal({"read-twice"}, std::string(2500, 'a') + "\r");
  EXPECT_EQ(s.Result(0).size(), 2 * 2048u);  // hex digits
  EXPECT_EQ(s.Result(1).size(), 2 * 452u);
}

TEST(ConsoleLineInput, InputThatIsNoTerminalGivesTheEmptyTextAtOnce) {
  char name[] = "/tmp/zv_console_input_XXXXXX";
  int fd = mkstemp(name);
  ASSERT_EQ(write(fd, "12\n", 3), 3);
  close(fd);
  Session s = Redirected({"read"}, name);
  unlink(name);
  EXPECT_EQ(s.seen, "READY\n<<>>\n");
  EXPECT_LT(s.seconds, 5.0);
}

TEST(ConsoleKeyInput, KeysAreReadRawWithoutEchoUpToEnterAndLineModeComesBack) {
  Session s = OnTerminal({"keys"}, "x\x7fy\x03\r", true);
  EXPECT_EQ(s.Result(), "78087903");  // backspace is 8, Ctrl-C a key like any other
  EXPECT_EQ(s.seen.find_first_of("xy"), std::string::npos);
  EXPECT_EQ(s.after.c_lflag & (ICANON | ECHO), tcflag_t{ICANON | ECHO});
  EXPECT_NE(s.after.c_iflag & ICRNL, 0u);
  EXPECT_EQ(OnTerminal({"keys"}, "\r", true).Result(), "");
  EXPECT_EQ(OnTerminal({"keys"},
                       "\xE4\xB8\xAD"
                       "a\r",
                       true)
                .Result(),
            "D6D061");
  Session no_terminal = Redirected({"keys"});
  EXPECT_EQ(no_terminal.seen, "READY\n<<>>\n");
  EXPECT_LT(no_terminal.seconds, 5.0);
}

TEST(ConsoleOutput, TerminalsGetWholeCharactersAndPipesTheBytes) {
  // The driver writes 1023 "a" and two GBK characters, the first cut by the
  // 1024-byte chunk.
  EXPECT_EQ(OnTerminal({"write", "0"}).seen, std::string(1023, 'a') + "\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(OnTerminal({"write", "2"}).seen, std::string(1023, 'a') + "\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(Redirected({"write", "0"}).seen, std::string(1023, 'a') + "\xD6\xD0\xCE\xC4");
  Session hung_up = Redirected({"write", "0"}, "/dev/null", true);
  EXPECT_TRUE(WIFEXITED(hung_up.status));  // not killed by SIGPIPE
}

TEST(ConsoleColours, AttributesBecomeSgrSequencesOnATerminalOnly) {
  EXPECT_EQ(OnTerminal({"colour", "10", "12", "7", "0x9E", "0x1C", "0x70"}).seen,
            "\x1b[92;49m<<1>>"   // bright green on the default background
            "\x1b[91;49m<<1>>"   // bright red
            "\x1b[39;49m<<1>>"   // grey on black: the terminal's defaults
            "\x1b[93;104m<<1>>"  // bright yellow on bright blue
            "\x1b[91;44m<<1>>"   // bright red on blue
            "\x1b[30;47m<<1>>"   // black on grey
            "\x1b[0m");          // the terminal's own colours back at the end
  EXPECT_EQ(Redirected({"colour", "10"}).seen, "<<0>>");
  setenv("NO_COLOR", "1", 1);
  EXPECT_EQ(OnTerminal({"colour", "10"}).seen, "<<1>>");
  unsetenv("NO_COLOR");
}

}  // namespace

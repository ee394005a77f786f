// The Linux console: a driver program runs the console operations on a
// pseudo-terminal (or with redirected streams) and prints their results.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void ExecDriver(const std::vector<std::string>& args) {
  setenv("LC_ALL", "C.UTF-8", 1);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(ZV_CONSOLE_DRIVER));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(ZV_CONSOLE_DRIVER, argv.data());
  _exit(127);
}

// Reads from `fd` into `seen` until `marker` has appeared (or, for an empty
// marker, until the end of output), for at most ten seconds.
bool ReadUntil(int fd, std::string& seen, const std::string& marker) {
  auto deadline = Clock::now() + std::chrono::seconds(10);
  while (marker.empty() || seen.find(marker) == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return marker.empty();  // EIO on the master: the terminal was closed
    seen.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

int Finish(pid_t pid) {
  int status = 0;
  for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  return status;
}

// The driver on a pseudo-terminal of its own.
class Terminal {
 public:
  explicit Terminal(const std::vector<std::string>& args) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) ExecDriver(args);
  }
  ~Terminal() {
    if (pid_ > 0) Finish(pid_);
    if (master_ >= 0) close(master_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool Started() const { return pid_ > 0; }
  bool WaitFor(const std::string& marker) { return ReadUntil(master_, seen_, marker); }
  void Type(const std::string& keys) {
    ssize_t n = write(master_, keys.data(), keys.size());
    EXPECT_EQ(n, static_cast<ssize_t>(keys.size()));
  }
  // Waits until the program has switched the terminal out of line mode.
  bool WaitForRawMode() {
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
      termios t{};
      if (tcgetattr(master_, &t) == 0 && (t.c_lflag & ICANON) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  termios Settings() const {
    termios t{};
    tcgetattr(master_, &t);
    return t;
  }
  // Everything shown up to the end, and how the driver ended.
  int End() {
    ReadUntil(master_, seen_, "");
    int status = Finish(pid_);
    pid_ = -1;
    return status;
  }
  const std::string& Seen() const { return seen_; }

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  std::string seen_;
};

// The driver with standard input from `input_file` (null: /dev/null) and
// standard output into a pipe, without a controlling terminal.
struct Redirected {
  std::string output;
  int status = -1;
  double seconds = 0;
};
Redirected RunRedirected(const std::vector<std::string>& args, const char* input_file,
                         bool close_reader = false) {
  Redirected result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    setsid();
    int in = open(input_file != nullptr ? input_file : "/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(fds[1], 1);
    close(fds[0]);
    ExecDriver(args);
  }
  close(fds[1]);
  if (close_reader)
    close(fds[0]);
  else
    ReadUntil(fds[0], result.output, "");
  result.status = Finish(pid);
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!close_reader) close(fds[0]);
  return result;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (unsigned char c : bytes) {
    snprintf(two, sizeof two, "%02X", c);
    out += two;
  }
  return out;
}

// Result of an echo read of `typed`, and what the terminal showed before it.
std::string EchoRead(const std::string& typed, std::string* shown = nullptr,
                     const std::vector<std::string>& args = {"read"}) {
  Terminal t(args);
  if (!t.Started() || !t.WaitFor("READY")) return "<no driver>";
  t.Type(typed);
  if (!t.WaitFor(">>")) return "<no result>";
  std::string seen = t.Seen();
  size_t open = seen.find("<<");
  if (shown != nullptr) *shown = seen.substr(0, open);
  return seen.substr(open + 2, seen.find(">>", open) - open - 2);
}

TEST(ConsoleLineInput, TheTerminalEditsAndEchoesAndTheLineComesBackInGbk) {
  std::string shown;
  EXPECT_EQ(EchoRead("12\r", &shown), "3132");
  EXPECT_NE(shown.find("12"), std::string::npos);  // echoed by the terminal
  EXPECT_EQ(EchoRead("13\x7f"
                     "2\r"),
            "3132");                          // erased with the terminal's own editing
  EXPECT_EQ(EchoRead("  7 \r"), "20203720");  // nothing trimmed
  EXPECT_EQ(EchoRead("\xE4\xB8\xAD\xE6\x96\x87\r"), "D6D0CEC4");  // UTF-8 typed, GBK read
  EXPECT_EQ(EchoRead("a\xF0\x9F\x98\x80"
                     "b\r"),
            "613F62");            // not in GBK: the default "?"
  EXPECT_EQ(EchoRead("\r"), "");  // an empty line is the empty text
  EXPECT_EQ(EchoRead("5\r", nullptr, {"read", "omitted"}), "35");
}

TEST(ConsoleLineInput, ALineLongerThanTheBufferComesInPieces) {
  Terminal t({"read-twice"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitFor("READY"));
  t.Type(std::string(2500, 'a') + "\r");
  t.End();
  const std::string& seen = t.Seen();
  size_t first = seen.find("<<");
  ASSERT_NE(first, std::string::npos);
  size_t second = seen.find("<<", first + 2);
  ASSERT_NE(second, std::string::npos);
  std::string piece1 = seen.substr(first + 2, seen.find(">>", first) - first - 2);
  std::string piece2 = seen.substr(second + 2, seen.find(">>", second) - second - 2);
  EXPECT_EQ(piece1.size(), 2 * 2048u);
  EXPECT_EQ(piece2.size(), 2 * 452u);
}

TEST(ConsoleLineInput, InputThatIsNoTerminalGivesTheEmptyTextAtOnce) {
  char name[] = "/tmp/zv_console_input_XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "12\n", 3), 3);
  close(fd);
  Redirected r = RunRedirected({"read"}, name);
  unlink(name);
  EXPECT_EQ(r.output, "READY\n<<>>\n");
  EXPECT_LT(r.seconds, 5.0);
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0);
}

// Keys read without echo, and the terminal's settings afterwards.
struct KeyRead {
  std::string result;
  std::string shown;
  termios after{};
};
KeyRead ReadKeys(const std::string& keys) {
  KeyRead out;
  Terminal t({"keys"});
  if (!t.Started() || !t.WaitFor("READY") || !t.WaitForRawMode()) return out;
  t.Type(keys);
  if (!t.WaitFor(">>")) return out;
  const std::string& seen = t.Seen();
  size_t ready = seen.find("READY") + 5;
  size_t open = seen.find("<<");
  out.shown = seen.substr(ready, open - ready);
  out.result = seen.substr(open + 2, seen.find(">>", open) - open - 2);
  t.End();
  out.after = t.Settings();
  return out;
}

TEST(ConsoleKeyInput, KeysAreReadRawWithoutEchoUpToEnter) {
  KeyRead keys = ReadKeys("x\x7fy\x03\r");
  EXPECT_EQ(keys.result, "78087903");  // backspace is 8, Ctrl-C a key like any other
  EXPECT_EQ(keys.shown.find_first_of("xy"), std::string::npos);
  EXPECT_NE(keys.after.c_lflag & ICANON, 0u);  // line mode and echo are back
  EXPECT_NE(keys.after.c_lflag & ECHO, 0u);
  EXPECT_NE(keys.after.c_iflag & ICRNL, 0u);

  EXPECT_EQ(ReadKeys("\r").result, "");
  EXPECT_EQ(ReadKeys("\xE4\xB8\xAD"
                     "a\r")
                .result,
            "D6D061");
}

TEST(ConsoleKeyInput, WithoutATerminalTheReadEndsAtOnce) {
  Redirected r = RunRedirected({"keys"}, nullptr);
  EXPECT_EQ(r.output, "READY\n<<>>\n");
  EXPECT_LT(r.seconds, 5.0);
}

std::string Utf8Text() { return std::string(1023, 'a') + "\xE4\xB8\xAD\xE6\x96\x87"; }

TEST(ConsoleOutput, ACharacterCutBetweenWritesReachesTheTerminalWhole) {
  for (const char* direction : {"0", "2"}) {
    Terminal t({"write", direction});
    ASSERT_TRUE(t.Started());
    t.End();
    EXPECT_EQ(t.Seen(), Utf8Text()) << "direction " << direction;
  }
}

TEST(ConsoleOutput, FilesAndPipesGetTheBytesUnchanged) {
  Redirected r = RunRedirected({"write", "0"}, nullptr);
  EXPECT_EQ(Hex(r.output), Hex(std::string(1023, 'a') + "\xD6\xD0\xCE\xC4"));
}

TEST(ConsoleOutput, AReaderThatWentAwayDoesNotKillTheProgram) {
  Redirected r = RunRedirected({"write", "0"}, nullptr, true);
  EXPECT_TRUE(WIFEXITED(r.status)) << "signal " << WTERMSIG(r.status);
}

TEST(ConsoleColours, AttributesBecomeSgrSequencesOnATerminalOnly) {
  Terminal t({"colour", "10", "12", "7", "0x9E", "0x1C", "0x70"});
  ASSERT_TRUE(t.Started());
  t.End();
  EXPECT_EQ(t.Seen(),
            "\x1b[92;49m<<1>>"    // bright green on the default background
            "\x1b[91;49m<<1>>"    // bright red
            "\x1b[39;49m<<1>>"    // grey on black: the terminal's defaults
            "\x1b[93;104m<<1>>"   // bright yellow on bright blue
            "\x1b[91;44m<<1>>"    // bright red on blue
            "\x1b[30;47m<<1>>");  // black on grey

  Redirected r = RunRedirected({"colour", "10"}, nullptr);
  EXPECT_EQ(r.output, "<<0>>");
}

}  // namespace

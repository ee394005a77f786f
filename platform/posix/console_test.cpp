// The console on Linux: terminals and pipes as its streams.
#include <poll.h>
#include <pty.h>
#include <sys/time.h>
#include <sys/wait.h>

#include <csignal>
#include <thread>

#include "platform/posix/posix_backend.h"
#include "testing/conformance.h"

TEST(Console, TerminalsEditLinesAndShowWholeCharactersAndColours) {
  int master = -1, slave = -1;
  char name[128], line[64];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  HANDLE term = Open(name, GENERIC_READ | GENERIC_WRITE);
  // \177 erases; Ctrl-D (\4) twice ends the last line without its end, once more the input.
  const std::string typed =
      "13\1772\r\xE4\xB8\xAD\xF0\x9F\x98\x80\xC3\rabcdef\rxy\4\4\4";  // \177 erases
  ASSERT_EQ(write(master, typed.data(), typed.size()), ssize_t(typed.size()));
  std::string got, shown;
  DWORD n = 0;
  for (DWORD room : {64, 64, 4, 64, 64})
    if (os.ReadConsoleA(term, line, room, &n, nullptr)) got.append(line, n);
  // Lines in GBK, "?" for what GBK lacks, with CR LF; what does not fit comes next.
  EXPECT_EQ(got, "12\r\n\xD6\xD0??\r\nabcdef\r\nxy");
  EXPECT_TRUE(os.ReadConsoleA(term, line, 64, &n, nullptr) && n == 0);  // Ctrl-D, nothing typed
  os.WriteFile(term, "a\xD6", 2, &n, nullptr);
  os.WriteFile(term, "\xD0z", 2, &n, nullptr);
  setenv("TERM", "xterm", 1);
  unsetenv("NO_COLOR");
  for (WORD colour : {10, 12, 7, 0x9E, 0x1C, 0x70}) os.SetConsoleTextAttribute(term, colour);
  setenv("NO_COLOR", "1", 1);
  os.SetConsoleTextAttribute(term, 10);
  unsetenv("NO_COLOR");
  posix::RestoreTerminalColours();  // as the program does when it ends
  for (pollfd p{master, POLLIN, 0}; poll(&p, 1, 1000) > 0 && read(master, line, 1) == 1;)
    shown += line[0];
  os.CloseHandle(term), close(slave), close(master);
  // The cut character whole; bright green and red on the default background, grey on black as
  // the terminal's own, bright yellow on bright blue, bright red on blue, black on grey; reset.
  EXPECT_EQ(
      shown.substr(std::min(shown.find("a\xE4"), shown.size())),
      "a\xE4\xB8\xADz\x1b[92;49m\x1b[91;49m\x1b[39;49m\x1b[93;104m\x1b[91;44m\x1b[30;47m\x1b[0m");
}

TEST(Console, PipeWritesGoOnAfterSignalsCutThemShort) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string end = "/proc/self/fd/" + std::to_string(fds[1]);  // the writing end
  HANDLE writer = Open(end, GENERIC_WRITE);
  close(fds[1]);
  std::string sent(8 << 20, 0), got;
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = char(i % 251);
  char chunk[4096];
  std::thread reader([&] {
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) got.append(chunk, size_t(n));
  });
  signal(SIGALRM, [](int) {});
  itimerval every{{0, 100}, {0, 100}}, off{};
  setitimer(ITIMER_REAL, &every, nullptr);
  DWORD done = 0;
  EXPECT_TRUE(os.WriteFile(writer, sent.data(), DWORD(sent.size()), &done, nullptr) &&
              done == sent.size());
  setitimer(ITIMER_REAL, &off, nullptr);
  sigset_t mask;  // SIGPIPE is not left blocked
  EXPECT_FALSE(pthread_sigmask(SIG_BLOCK, nullptr, &mask) || sigismember(&mask, SIGPIPE));
  os.CloseHandle(writer);
  reader.join();
  close(fds[0]);
  EXPECT_TRUE(got == sent) << "got " << got.size() << " of " << sent.size() << " bytes";
}

TEST(Console, KeysComeOneByteAtATimeFromTheTerminalOfTheSession) {
  int master = -1, slave = -1, keys[2];
  termios raw{};  // so that nothing is edited away before the keys are read
  ASSERT_TRUE(openpty(&master, &slave, nullptr, nullptr, nullptr) == 0 && pipe(keys) == 0);
  tcgetattr(slave, &raw), cfmakeraw(&raw), tcsetattr(slave, TCSANOW, &raw);
  if (fork() == 0) {  // a session whose terminal is the new one
    std::string got;
    setsid(), ioctl(slave, TIOCSCTTY, 0);
    for (int key; got.size() < 5 && (key = os._getch()) >= 0;) got += char(key);
    _exit(write(keys[1], got.data(), got.size()) < 0);
  }
  EXPECT_EQ(write(master, "a\x7f\xE4\xB8\xADz", 6), 6);  // the erase key, then 中 in UTF-8
  char got[8] = {};
  EXPECT_EQ(read(keys[0], got, sizeof got), 5);
  EXPECT_STREQ(got, "a\b\xD6\xD0z");  // the erase key as Backspace; 中 in GBK, a byte a call
  close(master), close(slave), close(keys[0]), close(keys[1]), wait(nullptr);
}

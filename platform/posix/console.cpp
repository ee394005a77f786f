// Linux backend: the console. Standard streams are the console's handles; on
// a terminal, GBK text is converted to and from the terminal's character set.
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/converter.h"
#include "platform/posix/handles.h"
#include "platform/posix/posix_backend.h"
#include "platform/posix/terminal_text.h"

namespace platform::posix {

// A reader that has gone away makes the write fail, as on Windows. A terminal
// never raises SIGPIPE: its writes need no mask.
size_t WriteAll(int fd, const char* bytes, size_t length, bool terminal) {
  sigset_t pipe_signal;
  sigset_t previous;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  if (!terminal) pthread_sigmask(SIG_BLOCK, &pipe_signal, &previous);
  size_t done = 0;
  bool broken_pipe = false;
  while (done < length) {
    ssize_t n = TEMP_FAILURE_RETRY(write(fd, bytes + done, length - done));
    if (n <= 0) {
      broken_pipe = n < 0 && errno == EPIPE;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (terminal) return done;
  if (broken_pipe && sigismember(&previous, SIGPIPE) == 0) {
    timespec no_wait{};
    sigtimedwait(&pipe_signal, nullptr, &no_wait);  // discard the signal this write raised
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return done;
}

namespace {

// Windows attribute colour bits are blue 1, green 2, red 4; ANSI colour
// numbers are red 1, green 2, blue 4.
int AnsiColour(WORD bits) {
  return ((bits & 4) != 0 ? 1 : 0) | ((bits & 2) != 0 ? 2 : 0) | ((bits & 1) != 0 ? 4 : 0);
}

// The terminal of the keyboard, opened once (the counterpart of CONIN$).
int KeyboardDescriptor() {
  static int fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
  return fd;
}

bool ReadByte(int fd, unsigned char* byte) { return TEMP_FAILURE_RETRY(read(fd, byte, 1)) == 1; }

// Puts the terminal in raw mode and restores its settings however the key
// read ends.
class RawMode {
 public:
  explicit RawMode(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_) != 0) return;
    termios raw = saved_;
    // Mode 0 of a Windows console: no line input, no echo, no processed keys.
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    active_ = tcsetattr(fd_, TCSANOW, &raw) == 0;
  }
  ~RawMode() {
    if (active_) tcsetattr(fd_, TCSANOW, &saved_);
  }
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;
  bool active() const { return active_; }
  cc_t erase_key() const { return saved_.c_cc[VERASE]; }

 private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

// The terminal our colours went to, so that its own colours can be put back
// however the run ends: at exit, and on the signals that end it.
int g_coloured_terminal = -1;

void RestoreAndRaise(int signal_number) {
  RestoreTerminalColours();
  raise(signal_number);  // default action again (SA_RESETHAND), once we return
}

void RememberColouredTerminal(int fd) {
  if (g_coloured_terminal >= 0) return;
  g_coloured_terminal = fd;
  atexit(RestoreTerminalColours);
  struct sigaction action {};
  action.sa_handler = RestoreAndRaise;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGQUIT}) {
    struct sigaction previous {};
    sigaction(signal_number, nullptr, &previous);
    if (previous.sa_handler == SIG_DFL) sigaction(signal_number, &action, nullptr);
  }
}

// NO_COLOR (when not empty) and TERM=dumb ask for no colour sequences at all.
bool ColoursWanted() {
  const char* no_color = getenv("NO_COLOR");
  const char* term = getenv("TERM");
  return (no_color == nullptr || *no_color == 0) && (term == nullptr || strcmp(term, "dumb") != 0);
}

}  // namespace

void RestoreTerminalColours() {
  if (g_coloured_terminal < 0) return;
  static const char kReset[] = "\x1b[0m";
  ssize_t ignored = write(g_coloured_terminal, kReset, sizeof kReset - 1);
  (void)ignored;
  g_coloured_terminal = -1;
}

HANDLE GetStdHandle(DWORD which) {
  int fd = which == STD_INPUT_HANDLE    ? 0
           : which == STD_OUTPUT_HANDLE ? 1
           : which == STD_ERROR_HANDLE  ? 2
                                        : -1;
  if (fd < 0) return kInvalidHandle;
  // A stream that is not open counts as none.
  return fcntl(fd, F_GETFD) == -1 ? nullptr : StreamHandle(fd);
}

// To a terminal the GBK bytes are converted; a double-byte character cut at
// the end of one call is completed by the next and reported as written. To
// files and pipes the bytes go as they are.
BOOL WriteFile(HANDLE file, const void* bytes, DWORD count, DWORD* written, void*) {
  if (written != nullptr) *written = 0;
  HandleEntry* entry = FindHandle(file);
  int fd = HandleDescriptor(file);
  if (fd < 0 || (bytes == nullptr && count > 0)) return kFalse;
  const char* data = static_cast<const char*>(bytes);
  if (isatty(fd) != 0) {
    std::string text = entry->to_terminal.Convert(data, count);
    if (WriteAll(fd, text.data(), text.size(), true) < text.size()) return kFalse;
    if (written != nullptr) *written = count;
    return kTrue;
  }
  size_t done = WriteAll(fd, data, count, false);
  if (written != nullptr) *written = static_cast<DWORD>(done);
  return done == count ? kTrue : kFalse;
}

// One line through the terminal's own line editing and echo, delivered in
// GBK and ending in CR LF, as a Windows console delivers it. What does not
// fit in `count` is kept for the next call. Anything but a terminal fails.
BOOL ReadConsoleA(HANDLE input, void* buffer, DWORD count, DWORD* read, void*) {
  if (read != nullptr) *read = 0;
  HandleEntry* entry = FindHandle(input);
  int fd = HandleDescriptor(input);
  if (fd < 0 || isatty(fd) == 0 || (buffer == nullptr && count > 0)) return kFalse;
  if (count == 0) return kTrue;
  std::string& pending = entry->pending_input;
  if (pending.empty()) {
    std::string line;
    char chunk[4096];
    for (;;) {
      ssize_t n = TEMP_FAILURE_RETRY(::read(fd, chunk, sizeof chunk));
      if (n < 0 && line.empty()) return kFalse;
      if (n <= 0) break;  // end of input (Ctrl-D) ends the line without a line end
      line.append(chunk, static_cast<size_t>(n));
      if (line.back() == '\n') break;
    }
    bool ended = !line.empty() && line.back() == '\n';
    if (ended) line.pop_back();
    pending = TerminalToGbk(line.data(), line.size());
    if (ended) pending += "\r\n";
  }
  size_t n = std::min<size_t>(pending.size(), count);
  std::memcpy(buffer, pending.data(), n);
  pending.erase(0, n);
  if (read != nullptr) *read = static_cast<DWORD>(n);
  return kTrue;
}

// One key from the terminal in raw mode, without echo. Enter gives 13 and the
// terminal's erase key 8, as on Windows; a character typed in the terminal's
// character set comes as its GBK bytes, one per call. Other keys give the
// bytes the terminal sends for them. -1 when there is no terminal.
int _getch() {
  static std::string queued;
  if (!queued.empty()) {
    auto byte = static_cast<unsigned char>(queued[0]);
    queued.erase(0, 1);
    return byte;
  }
  int fd = KeyboardDescriptor();
  if (fd < 0) return -1;
  std::string typed;
  {
    RawMode raw(fd);
    if (!raw.active()) return -1;
    unsigned char first = 0;
    if (!ReadByte(fd, &first)) return -1;
    if (first == 0x7F && raw.erase_key() == 0x7F) return 8;
    if (first < 0x80) return first;
    typed.push_back(static_cast<char>(first));
    if (TerminalIsUtf8()) {
      for (size_t i = 1; i < Utf8Length(first); ++i) {
        unsigned char next = 0;
        if (!ReadByte(fd, &next)) break;
        typed.push_back(static_cast<char>(next));
        if ((next & 0xC0) != 0x80) break;
      }
    }
  }
  queued = TerminalToGbk(typed.data(), typed.size());
  if (queued.empty()) return -1;
  auto byte = static_cast<unsigned char>(queued[0]);
  queued.erase(0, 1);
  return byte;
}

// Colours become ANSI SGR sequences: foreground and background, the intensity
// bits choosing the bright colours. The console's default pair (grey on
// black) maps to the terminal's own default colours. Fails when the handle is
// not a terminal, as SetConsoleTextAttribute fails on a file. The terminal
// gets its own colours back when the run ends.
BOOL SetConsoleTextAttribute(HANDLE output, WORD attribute) {
  int fd = HandleDescriptor(output);
  if (fd < 0 || isatty(fd) == 0) return kFalse;
  if (!ColoursWanted()) return kTrue;
  RememberColouredTerminal(fd);
  WORD fg = attribute & 0x0F;
  WORD bg = (attribute >> 4) & 0x0F;
  int fg_code = fg == 7 ? 39 : ((fg & 8) != 0 ? 90 : 30) + AnsiColour(fg);
  int bg_code = bg == 0 ? 49 : ((bg & 8) != 0 ? 100 : 40) + AnsiColour(bg);
  // Built without printf, which the start-up would load for this alone.
  std::string sequence = "\x1b[" + std::to_string(fg_code) + ";" + std::to_string(bg_code) + "m";
  return WriteAll(fd, sequence.data(), sequence.size(), true) == sequence.size() ? kTrue : kFalse;
}

}  // namespace platform::posix

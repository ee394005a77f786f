// Linux backend: this process's start and end, and the programs it starts.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/command_line.h"
#include "platform/posix/handles.h"
#include "platform/posix/posix_backend.h"
#include "platform/posix/system_text.h"

// NOLINTNEXTLINE(readability-redundant-declaration): <unistd.h> has it only with _GNU_SOURCE
extern char** environ;

namespace platform::posix {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  out.reserve(strings.size() + 1);
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Marks the process ended once waitpid has collected it (or it is not our child).
bool Collect(HandleEntry& process, int options) {
  if (TEMP_FAILURE_RETRY(waitpid(process.pid, nullptr, options)) == 0) return false;
  process.reaped = true;
  return true;
}

// Everything a started program gets besides its arguments: /dev/null for its
// standard streams, its own session, default signal handling and no blocked
// signals.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  bool ok = true;

  explicit SpawnSetup(const char* directory) {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    ok = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
         posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) == 0 &&
         posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0) == 0;
    if (directory != nullptr)
      ok = ok && posix_spawn_file_actions_addchdir_np(&actions, directory) == 0;
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGCHLD, SIGTTIN, SIGTTOU, SIGTSTP})
      sigaddset(&defaults, sig);
    ok = ok && posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
         posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
         posix_spawnattr_setflags(
             &attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

// No application framework on Linux; its place is taken by what a terminal
// program needs: a terminal that hangs up must not kill the run halfway
// through its browser starts. The run goes on without its console (reads and
// writes then fail) and ends as usual. A handler, unlike ignoring the signal,
// does not pass on to the programs we start.
BOOL AfxWinInit(HMODULE, HMODULE, char*, int) {
  struct sigaction hang_up {};
  hang_up.sa_handler = [](int) {};
  sigemptyset(&hang_up.sa_mask);
  hang_up.sa_flags = SA_RESTART;
  sigaction(SIGHUP, &hang_up, nullptr);
  return kTrue;
}

char* GetCommandLineA() {
  static std::string line = [] {
    std::string out = FileText("/proc/self/cmdline");
    std::replace(out.begin(), out.end(), '\0', ' ');
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  }();
  return line.data();
}

void ExitProcess(UINT code) {
  RestoreTerminalColours();
  _exit(static_cast<int>(code));
}

void WriteStandardError(const char* bytes, size_t length) {
  WriteAll(STDERR_FILENO, bytes, length, isatty(STDERR_FILENO) != 0);
}

// A program started here has no start-up record to inherit: all fields are 0.
void GetStartupInfoA(STARTUPINFOA* info) {
  std::memset(info, 0, sizeof *info);
  info->cb = sizeof *info;
}

// The command line is split by the C runtime's rules and the program started
// without a shell; a name without a slash that is not in the working folder
// is looked up in PATH. The start-up
// record is not used: Linux programs have no first show state to give, and
// their standard streams are always /dev/null, so that they write nothing into
// our terminal; their own session lets them outlive it. Handle inheritance has
// nothing to pass on, since every descriptor we open is close-on-exec. A
// program always inherits our environment; a block of its own is refused.
BOOL CreateProcessA(const char* application, char* command_line, void*, void*, BOOL, DWORD,
                    void* environment, const char* directory, STARTUPINFOA*,
                    PROCESS_INFORMATION* info) {
  ReapAdoptedChildren();
  if (environment != nullptr) return kFalse;
  std::string line = command_line != nullptr ? GbkToSystem(command_line) : std::string();
  std::vector<std::string> args = SplitCommandLine(line.c_str());
  std::string program =
      application != nullptr ? GbkToSystem(application) : ProgramOfCommandLine(line.c_str());
  if (program.empty()) return kFalse;
  if (args.empty()) args.push_back(program);

  std::vector<char*> argv = Pointers(args);
  std::string work_dir = directory != nullptr ? GbkToSystem(directory) : std::string();

  SpawnSetup setup(directory != nullptr ? work_dir.c_str() : nullptr);
  if (!setup.ok) return kFalse;
  pid_t pid = 0;
  // The C library collects a child whose exec failed: no zombie is left. A
  // bare name found in the working folder starts from there, as on Windows,
  // before the search path is looked at.
  bool search = application == nullptr && access(program.c_str(), F_OK) != 0;
  if (!search) program = AbsoluteName(program);  // the child changes folder before its exec
  int error = (search ? posix_spawnp : posix_spawn)(&pid, program.c_str(), &setup.actions,
                                                    &setup.attributes, argv.data(), environ);
  if (error != 0) return kFalse;

  HandleEntry process;
  process.kind = HandleKind::kProcess;
  process.pid = pid;
  HandleEntry thread;
  thread.kind = HandleKind::kThread;
  if (info != nullptr) {
    info->hProcess = NewHandle(std::move(process));
    info->hThread = NewHandle(std::move(thread));
    info->dwProcessId = static_cast<DWORD>(pid);
    info->dwThreadId = static_cast<DWORD>(pid);
  } else {
    AdoptRunningChild(pid);
  }
  return kTrue;
}

// Process handles only; the object signals when the program has ended.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  HandleEntry* entry = FindHandle(handle);
  if (entry == nullptr || entry->kind != HandleKind::kProcess) return WAIT_FAILED;
  if (entry->reaped) return WAIT_OBJECT_0;
  if (milliseconds == INFINITE) {
    Collect(*entry, 0);
    return WAIT_OBJECT_0;
  }
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    if (Collect(*entry, WNOHANG)) return WAIT_OBJECT_0;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t elapsed = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (elapsed >= milliseconds) return WAIT_TIMEOUT;
    Sleep(static_cast<DWORD>(std::min<int64_t>(5, milliseconds - elapsed)));
  }
}

}  // namespace platform::posix

namespace platform {

const bool kRunsBatchFiles = false;

}  // namespace platform

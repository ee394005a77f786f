#include "runtime/core/startup.h"

#include "platform/platform.h"
#include "runtime/core/memory.h"

namespace {

// RuntimeExit unwinds to RuntimeMain by throwing this. It deliberately derives
// from nothing, so that no handler for ordinary exceptions can catch it. The
// destructors of the abandoned routines' locals run on the way; no statement
// after the RuntimeExit call does.
struct ExitUnwind {
  int32_t code;
};

bool g_exit_anchor_taken = false;
ShutdownRoutine g_program_shutdown = nullptr;
ShutdownRoutine g_final_shutdown = nullptr;

// Notification routines of the runtime's libraries; this program has none.
const NotifyRoutine kLibraryNotifyList[] = {nullptr};

constexpr uint32_t kNotifyStartup = 1;
constexpr uint32_t kNotifyShutdown = 6;

void NotifyLibraries(uint32_t message) {
  for (const NotifyRoutine* r = kLibraryNotifyList; *r != nullptr; ++r) (*r)(message, 0, 0);
}

void RunShutdownSequence() {
  if (g_program_shutdown != nullptr) g_program_shutdown();
  NotifyLibraries(kNotifyShutdown);
  if (g_final_shutdown != nullptr) g_final_shutdown();
}

}  // namespace

int32_t RuntimeMain(int, char**, char**, EntryRoutine entry) {
  const platform::Api& os = platform::Os();
  if (os.AfxWinInit(os.GetModuleHandleA(nullptr), nullptr, os.GetCommandLineA(), 0) == 0) {
    static const char kLine[] = "Fatal Error: MFC initialization failed\n";
    os.WriteStandardError(kLine, sizeof kLine - 1);
    return 1;
  }
  CacheProcessHeap();
  NotifyLibraries(kNotifyStartup);
  g_exit_anchor_taken = true;
  int32_t code = 0;
  try {
    entry();
    // An entry routine that returns by itself ends the run like RuntimeExit(0).
    RunShutdownSequence();
  } catch (const ExitUnwind& exit) {
    code = exit.code;
  }
  // Nothing may resume a RuntimeMain that has returned.
  g_exit_anchor_taken = false;
  return code;
}

void RuntimeExit(int32_t code) {
  RunShutdownSequence();
  if (g_exit_anchor_taken) throw ExitUnwind{code};
  platform::Os().ExitProcess(static_cast<platform::UINT>(code));
  __builtin_unreachable();
}

void SetShutdownCallback(ShutdownRoutine routine) { g_program_shutdown = routine; }

void SetFinalShutdownRoutine(ShutdownRoutine routine) { g_final_shutdown = routine; }

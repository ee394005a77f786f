// Start-up and the single exit path of the program. Like every runtime header,
// it keeps all the operations the runtime defines, whether this program calls
// them or not. The launcher's main calls RuntimeMain, its entry routine
// SetShutdownCallback and RuntimeExit; error reports, the binder and an
// exhausted heap end the run through RuntimeExit too, and the binder installs
// SetFinalShutdownRoutine.
#pragma once

#include <cstdint>

// The launcher's entry routine: it never returns by itself but ends the run
// through RuntimeExit.
using EntryRoutine = void (*)();
using ShutdownRoutine = void (*)();
using NotifyRoutine = void (*)(uint32_t message, uint32_t first, uint32_t second);

// The program's main function. Initialises the framework (on failure writes
// one line to standard error and returns 1), caches the heap, takes the exit
// anchor and runs `entry`; returns the code given to RuntimeExit.
int32_t RuntimeMain(int argc, char** argv, char** envp, EntryRoutine entry);

// The single way out: runs the shutdown sequence, then resumes RuntimeMain
// with `code` (or ends the process when RuntimeMain is not running). No
// statement after a call of RuntimeExit runs.
[[noreturn]] void RuntimeExit(int32_t code);

// Records the program's end-of-program routine; a later call replaces it.
void SetShutdownCallback(ShutdownRoutine routine);

// The routine run last by the shutdown sequence (the lazy binder installs the
// release of its modules here).
void SetFinalShutdownRoutine(ShutdownRoutine routine);

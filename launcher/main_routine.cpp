#include "launcher/main_routine.h"

#include "runtime/core/memory.h"

namespace {

// The program's end-of-program routine: there is nothing to do.
void EndOfProgram() {}

}  // namespace

void LauncherEntry() {
  SetShutdownCallback(EndOfProgram);
  MainRoutine();
  RuntimeExit(0);
}

int32_t MainRoutine() { return 0; }

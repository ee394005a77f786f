// The launcher's entry and main routines.
#pragma once

#include <cstdint>

// Runs the main routine once and ends the run through RuntimeExit with code 0.
[[noreturn]] void LauncherEntry();

// The tool's interactive flow; 0 after the launch loop, 1 after the
// browser-not-found message.
int32_t MainRoutine();

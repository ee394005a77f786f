// The launcher's entry and main routines, and its two small helpers.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/core/text.h"

// Runs the main routine once and ends the run through RuntimeExit with code 0.
[[noreturn]] void LauncherEntry();

// The tool's interactive flow; 0 after the launch loop, 1 after the
// browser-not-found message.
int32_t MainRoutine();

// Sets the console's text colour: colour n as bright text on black, or with
// `background` one of four bright backgrounds (1 to 4) under black text.
bool SetConsoleColour(int32_t colour, std::optional<bool> background = {});

// Whether a file or folder exists at `path`.
bool FileExists(Text path);

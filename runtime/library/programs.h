// Starting programs. Like every runtime header, it keeps all the operations
// the runtime defines, whether this program calls them or not. The launcher
// starts the browser with RunProgram.
#pragma once

#include <cstdint>

#include "runtime/core/arguments.h"

// Library operation (argument records): command line, wait, window mode (1 to
// 6; shown normally otherwise). Starts the command line as given, without the
// caller's output streams; with wait, returns once the program has ended.
// Whether the program was started.
bool RunProgram(int32_t count, const ArgSlot* args);

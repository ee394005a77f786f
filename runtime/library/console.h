// Console output and input. Like every runtime header, it keeps all the
// operations the runtime defines, whether this program calls them or not. The
// launcher calls both.
#pragma once

#include <cstdint>

#include "runtime/core/arguments.h"
#include "runtime/core/text.h"

// Slot 1: direction (2 = standard error, else standard output); slots 2..count:
// values, written back to back.
void ConsoleWrite(int32_t count, const ArgSlot* args);

// Slot 1: echo (omitted or true: one line with the console's echo; false:
// keys without echo up to Enter).
Text ConsoleRead(int32_t count, const ArgSlot* args);

// The Linux backend: one function per call of the seam, of the same name and
// signature, each in the posix/ file of its area; api.cpp makes the table.
#pragma once

#include "platform/platform.h"

namespace platform::posix {

#define ZV_DECLARE(result, name, parameters) result name parameters;
ZV_ALL_CALLS(ZV_DECLARE)
#undef ZV_DECLARE

// Console (console.cpp): puts the terminal's own colours back, if we changed them; writes
// all bytes to a descriptor, a reader gone away failing the write instead of raising
// SIGPIPE, and says how many were written.
void RestoreTerminalColours();
size_t WriteAll(int fd, const char* bytes, size_t length, bool terminal);

}  // namespace platform::posix

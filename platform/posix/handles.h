// Handles of the Linux backend: small values standing for descriptors and
// started programs, as Windows handles do. The first three are the standard
// streams; CloseHandle serves every kind.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/platform.h"
#include "platform/posix/terminal_text.h"

namespace platform::posix {

enum class HandleKind { kFree, kStream, kFile, kProcess, kThread };

struct HandleEntry {
  HandleKind kind = HandleKind::kFree;
  int fd = -1;                // kStream (not owned), kFile (owned)
  pid_t pid = 0;              // kProcess
  bool reaped = false;        // kProcess: its end has been collected
  GbkToTerminal to_terminal;  // output toward a terminal
  std::string pending_input;  // line input from a terminal not yet delivered
};

// Registers an entry and returns its handle.
HANDLE NewHandle(HandleEntry entry);

// The live entry of a handle, or null for a value that names none. The
// reference stays valid until the handle is released.
HandleEntry* FindHandle(HANDLE handle);

// Frees the entry (closing nothing itself); false when there was none.
bool ReleaseHandle(HANDLE handle);

// The handle of standard stream 0, 1 or 2.
HANDLE StreamHandle(int fd);

// Descriptor behind a stream or file handle; -1 for anything else.
int HandleDescriptor(HANDLE handle);

// Collects started programs whose handles were closed before they ended, so
// that none stays a zombie longer than the next start or close.
void AdoptRunningChild(pid_t pid);
void ReapAdoptedChildren();

}  // namespace platform::posix

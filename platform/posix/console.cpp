// Linux backend: the console (filled in with the console work).
#include "platform/posix/posix_backend.h"

namespace platform::posix {

HANDLE GetStdHandle(DWORD) { return nullptr; }
BOOL WriteFile(HANDLE, const void*, DWORD, DWORD* written, void*) {
  if (written != nullptr) *written = 0;
  return kFalse;
}
BOOL ReadConsoleA(HANDLE, void*, DWORD, DWORD* read, void*) {
  if (read != nullptr) *read = 0;
  return kFalse;
}
int GetKeyNoEcho() { return -1; }
BOOL SetConsoleTextAttribute(HANDLE, WORD) { return kFalse; }

}  // namespace platform::posix

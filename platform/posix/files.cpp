// Linux backend: files (filled in with the file work).
#include "platform/posix/posix_backend.h"

namespace platform::posix {

HANDLE CreateFileA(const char*, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
  return kInvalidHandle;
}
DWORD GetFileSize(HANDLE, DWORD*) { return INVALID_FILE_SIZE; }
BOOL ReadFile(HANDLE, void*, DWORD, DWORD* read, void*) {
  if (read != nullptr) *read = 0;
  return kFalse;
}
BOOL CloseHandle(HANDLE) { return kFalse; }
BOOL PathFileExistsA(const char*) { return kFalse; }

}  // namespace platform::posix

// Linux backend: starting programs (filled in with the program work).
#include <cstring>

#include "platform/posix/posix_backend.h"

namespace platform::posix {

void GetStartupInfoA(STARTUPINFOA* info) {
  std::memset(info, 0, sizeof *info);
  info->cb = sizeof *info;
}
BOOL CreateProcessA(const char*, char*, void*, void*, BOOL, DWORD, void*, const char*,
                    STARTUPINFOA*, PROCESS_INFORMATION*) {
  return kFalse;
}
DWORD WaitForSingleObject(HANDLE, DWORD) { return 0xFFFFFFFF; }

}  // namespace platform::posix

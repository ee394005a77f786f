// Windows backend: this process's start and end, and the programs it starts.
#include <cstdio>

#include "platform/win32/win32_backend.h"

namespace platform::win32 {

static_assert(sizeof(STARTUPINFOA) == sizeof(::STARTUPINFOA));
static_assert(sizeof(PROCESS_INFORMATION) == sizeof(::PROCESS_INFORMATION));

// No application framework is linked in: its initialisation always succeeds.
BOOL AfxWinInit(HMODULE, HMODULE, char*, int) { return kTrue; }

char* GetCommandLineA() { return ::GetCommandLineA(); }

void ExitProcess(UINT code) { ::ExitProcess(code); }

void WriteStandardError(const char* bytes, size_t length) {
  std::fwrite(bytes, 1, length, stderr);
  std::fflush(stderr);
}

void GetStartupInfoA(STARTUPINFOA* info) {
  ::GetStartupInfoA(reinterpret_cast<::STARTUPINFOA*>(info));
}

BOOL CreateProcessA(const char* application, char* command_line, void* process_security,
                    void* thread_security, BOOL inherit_handles, DWORD flags, void* environment,
                    const char* directory, STARTUPINFOA* startup, PROCESS_INFORMATION* info) {
  return ::CreateProcessA(application, command_line,
                          static_cast<LPSECURITY_ATTRIBUTES>(process_security),
                          static_cast<LPSECURITY_ATTRIBUTES>(thread_security), inherit_handles,
                          flags, environment, directory, reinterpret_cast<::STARTUPINFOA*>(startup),
                          reinterpret_cast<::PROCESS_INFORMATION*>(info));
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

}  // namespace platform::win32

namespace platform {

const bool kRunsBatchFiles = true;

}  // namespace platform

// Windows backend: files.
#include "platform/win32/win32_backend.h"

namespace platform::win32 {

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD attributes, HANDLE template_file) {
  return ::CreateFileA(name, access, share, static_cast<LPSECURITY_ATTRIBUTES>(security),
                       disposition, attributes, template_file);
}

DWORD GetFileSize(HANDLE file, DWORD* size_high) {
  ::DWORD high = 0;
  ::DWORD low = ::GetFileSize(file, &high);
  if (size_high != nullptr) *size_high = high;
  return low;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped) {
  ::DWORD n = 0;
  BOOL ok = ::ReadFile(file, buffer, count, &n, static_cast<OVERLAPPED*>(overlapped));
  if (read != nullptr) *read = n;
  return ok;
}

BOOL CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

BOOL PathFileExistsA(const char* path) { return ::PathFileExistsA(path); }

BOOL PathIsRelativeA(const char* path) { return ::PathIsRelativeA(path); }

DWORD GetFullPathNameA(const char* path, DWORD size, char* buffer, char** file_part) {
  return ::GetFullPathNameA(path, size, buffer, file_part);
}

// Every file passes on Windows, whose temporary-files folder is the user's own.
DWORD GetForeignOwner(const char*, char*, DWORD) { return 0; }

}  // namespace platform::win32

namespace platform {

// How paths are written here, and where the browser is installed by default.
const char kPathSeparator[2] = "\\";
const char kDefaultBrowserPath[] = "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe";

}  // namespace platform

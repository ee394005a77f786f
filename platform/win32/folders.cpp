// Windows backend: folders.
#include "platform/win32/win32_backend.h"

namespace platform::win32 {

DWORD GetTempPathW(DWORD size, WCHAR* buffer) { return ::GetTempPathW(size, W(buffer)); }

BOOL SHGetSpecialFolderPathW(HWND owner, WCHAR* path, int csidl, BOOL create) {
  return ::SHGetSpecialFolderPathW(static_cast<::HWND>(owner), W(path), csidl, create);
}

BOOL CreateDirectoryW(const WCHAR* path, void* security) {
  return ::CreateDirectoryW(W(path), static_cast<LPSECURITY_ATTRIBUTES>(security));
}

BOOL PathIsDirectoryW(const WCHAR* path) { return ::PathIsDirectoryW(W(path)); }

DWORD GetShortPathNameW(const WCHAR* long_path, WCHAR* short_path, DWORD size) {
  return ::GetShortPathNameW(W(long_path), W(short_path), size);
}

// The temporary-files folder belongs to the user: whatever exists is private.
int PrivateFolderStatus(const WCHAR* path, WCHAR*, DWORD) {
  return ::GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES ? kFolderMissing : kFolderPrivate;
}

const char* UserFolderSuffix() { return ""; }

}  // namespace platform::win32

namespace platform {

const char kTempFolderVariable[] = "TEMP";

}  // namespace platform

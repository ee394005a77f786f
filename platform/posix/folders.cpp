// Linux backend: folders (filled in with the profile folder work).
#include "platform/posix/posix_backend.h"

namespace platform::posix {

DWORD GetTempPathW(DWORD, WCHAR*) { return 0; }
BOOL SHGetSpecialFolderPathW(HWND, WCHAR*, int, BOOL) { return kFalse; }
BOOL CreateDirectoryW(const WCHAR*, void*) { return kFalse; }
BOOL PathIsDirectoryW(const WCHAR*) { return kFalse; }

}  // namespace platform::posix

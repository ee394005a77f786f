// Windows backend: code pages and the half-width mapping.
#include "platform/win32/win32_backend.h"

namespace platform::win32 {

int MultiByteToWideChar(UINT code_page, DWORD flags, const char* bytes, int byte_count, WCHAR* wide,
                        int wide_count) {
  return ::MultiByteToWideChar(code_page, flags, bytes, byte_count, W(wide), wide_count);
}

int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide, int wide_count, char* bytes,
                        int byte_count, const char* default_char, BOOL* used_default) {
  return ::WideCharToMultiByte(code_page, flags, W(wide), wide_count, bytes, byte_count,
                               default_char, used_default);
}

int lstrlenW(const WCHAR* text) { return ::lstrlenW(W(text)); }

int LCMapStringA(DWORD locale, DWORD flags, const char* source, int source_length,
                 char* destination, int destination_length) {
  return ::LCMapStringA(locale, flags, source, source_length, destination, destination_length);
}

}  // namespace platform::win32

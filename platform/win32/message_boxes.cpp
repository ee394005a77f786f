// Windows backend: message boxes and the formatting of their texts.
#include <cstdarg>

#include "platform/win32/win32_backend.h"

namespace platform::win32 {

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(static_cast<::HWND>(owner), text, caption, type);
}

int wsprintfA(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = ::wvsprintfA(buffer, format, args);
  va_end(args);
  return n;
}

}  // namespace platform::win32

// Windows backend: message boxes and the formatting of their texts.
#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/win32/win32_backend.h"

namespace platform::win32 {

// The texts are GBK: shown as UTF-16, as the console shows them, so that a
// system in another code page shows the same characters. No caption: the
// system's own.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  const std::wstring wide_text = GbkToWide(text, text != nullptr ? std::strlen(text) : 0);
  const std::wstring wide_caption =
      GbkToWide(caption, caption != nullptr ? std::strlen(caption) : 0);
  return ::MessageBoxW(static_cast<::HWND>(owner), wide_text.c_str(),
                       caption != nullptr ? wide_caption.c_str() : nullptr, type);
}

int wsprintfA(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = ::wvsprintfA(buffer, format, args);
  va_end(args);
  return n;
}

}  // namespace platform::win32

// Linux backend: message boxes, which become lines on standard error, and the
// formatting of their texts (the wsprintfA subset the program uses).
#include <unistd.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/posix/posix_backend.h"
#include "platform/posix/terminal_text.h"

namespace platform::posix {
namespace {

// wsprintfA never writes more than this, terminating NUL included.
constexpr size_t kFormatLimit = 1024;

}  // namespace

// There is no window: caption and text are written to standard error, then
// the box counts as dismissed with OK.
int MessageBoxA(HWND, const char* text, const char* caption, UINT) {
  std::string line = caption != nullptr ? caption : "";
  line += ": ";
  line += text != nullptr ? text : "";
  line += "\n";
  if (isatty(STDERR_FILENO) != 0) line = GbkToTerminal::Whole(line.data(), line.size());
  WriteStandardError(line.data(), line.size());
  return IDOK;
}

// Supports %d, %i, %u, %x, %c, %s (a null %s prints "(null)") and %%.
int wsprintfA(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out;
  for (const char* p = format; *p != 0; ++p) {
    if (*p != '%') {
      out.push_back(*p);
      continue;
    }
    char conversion = *++p;
    if (conversion == 0) break;
    char number[32];
    switch (conversion) {
      case 'd':
      case 'i':
        snprintf(number, sizeof number, "%d", va_arg(args, int));
        out += number;
        break;
      case 'u':
        snprintf(number, sizeof number, "%u", va_arg(args, unsigned));
        out += number;
        break;
      case 'x':
        snprintf(number, sizeof number, "%x", va_arg(args, unsigned));
        out += number;
        break;
      case 'c':
        out.push_back(static_cast<char>(va_arg(args, int)));
        break;
      case 's': {
        const char* s = va_arg(args, const char*);
        out += s != nullptr ? s : "(null)";
        break;
      }
      default:
        out.push_back(conversion);
        break;
    }
  }
  va_end(args);
  if (out.size() > kFormatLimit - 1) out.resize(kFormatLimit - 1);
  std::memcpy(buffer, out.c_str(), out.size() + 1);
  return static_cast<int>(out.size());
}

}  // namespace platform::posix

// Windows backend: the console.
#include "platform/win32/win32_backend.h"

namespace platform::win32 {

HANDLE GetStdHandle(DWORD which) { return ::GetStdHandle(which); }

BOOL WriteFile(HANDLE file, const void* bytes, DWORD count, DWORD* written, void* overlapped) {
  ::DWORD n = 0;
  BOOL ok = ::WriteFile(file, bytes, count, &n, static_cast<OVERLAPPED*>(overlapped));
  if (written != nullptr) *written = n;
  return ok;
}

BOOL ReadConsoleA(HANDLE input, void* buffer, DWORD count, DWORD* read, void* control) {
  ::DWORD n = 0;
  BOOL ok =
      ::ReadConsoleA(input, buffer, count, &n, static_cast<PCONSOLE_READCONSOLE_CONTROL>(control));
  if (read != nullptr) *read = n;
  return ok;
}

int _getch() { return ::_getch(); }

BOOL SetConsoleTextAttribute(HANDLE output, WORD attribute) {
  return ::SetConsoleTextAttribute(output, attribute);
}

}  // namespace platform::win32

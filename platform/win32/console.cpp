// Windows backend: the console. A console shows characters, a file or pipe
// gets the GBK bytes: toward a console the text goes as UTF-16, converted from
// code page 936, so that any console code page shows it, and a typed line comes
// back from UTF-16 in GBK.
#include <cstring>
#include <string>

#include "platform/win32/win32_backend.h"

namespace platform::win32 {
namespace {

bool IsConsole(HANDLE handle) {
  ::DWORD mode = 0;
  return ::GetConsoleMode(handle, &mode) != 0;
}

// A lead byte that ends one write is held for the next write to the same console.
struct HeldLeadByte {
  HANDLE console;
  char byte;
};
HeldLeadByte g_held[4] = {};  // standard output and error, with room to spare

HeldLeadByte* HeldFor(HANDLE console) {
  for (HeldLeadByte& held : g_held)
    if (held.console == console) return &held;
  for (HeldLeadByte& held : g_held)
    if (held.console == nullptr) return &held;
  return nullptr;
}

BOOL WriteConsoleText(HANDLE console, const char* bytes, DWORD count) {
  HeldLeadByte* held = HeldFor(console);
  std::string text;
  if (held != nullptr && held->console != nullptr) text.push_back(held->byte);
  if (held != nullptr) held->console = nullptr;
  text.append(bytes, count);
  size_t whole = 0;  // bytes that end on a character boundary
  while (whole < text.size()) {
    bool lead = ::IsDBCSLeadByteEx(kCodePageGbk, static_cast<BYTE>(text[whole])) != 0;
    if (lead && whole + 1 == text.size() && held != nullptr) {
      *held = {console, text[whole]};
      break;
    }
    whole += lead && whole + 1 < text.size() ? 2 : 1;
  }
  if (whole == 0) return kTrue;
  const std::wstring wide = GbkToWide(text.data(), whole);
  for (size_t done = 0; done < wide.size();) {
    ::DWORD units = 0;
    if (::WriteConsoleW(console, wide.data() + done, static_cast<::DWORD>(wide.size() - done),
                        &units, nullptr) == 0 ||
        units == 0)
      return kFalse;
    done += units;
  }
  return kTrue;
}

// What of a typed line did not fit in the caller's buffer: the next call's.
std::string g_line_rest;

}  // namespace

HANDLE GetStdHandle(DWORD which) { return ::GetStdHandle(which); }

BOOL WriteFile(HANDLE file, const void* bytes, DWORD count, DWORD* written, void* overlapped) {
  ::DWORD n = 0;
  bool console = IsConsole(file);
  BOOL ok = console ? WriteConsoleText(file, static_cast<const char*>(bytes), count)
                    : ::WriteFile(file, bytes, count, &n, static_cast<OVERLAPPED*>(overlapped));
  if (console && ok != 0) n = count;
  if (written != nullptr) *written = n;
  return ok;
}

// A console line is read as UTF-16 and handed on in GBK; what does not fit in
// `count` bytes comes with the next call, as ReadConsoleA keeps it.
BOOL ReadConsoleA(HANDLE input, void* buffer, DWORD count, DWORD* read, void* control) {
  if (read != nullptr) *read = 0;
  if (!IsConsole(input)) return kFalse;
  if (g_line_rest.empty() && count > 0) {
    wchar_t wide[2048];
    ::DWORD units = 0;
    if (::ReadConsoleW(input, wide, count < 2048 ? count : 2048, &units,
                       static_cast<PCONSOLE_READCONSOLE_CONTROL>(control)) == 0)
      return kFalse;
    int n = static_cast<int>(units);
    int size = ::WideCharToMultiByte(kCodePageGbk, 0, wide, n, nullptr, 0, nullptr, nullptr);
    g_line_rest.resize(static_cast<size_t>(size > 0 ? size : 0));
    ::WideCharToMultiByte(kCodePageGbk, 0, wide, n, g_line_rest.data(), size, nullptr, nullptr);
  }
  DWORD n = g_line_rest.size() < count ? static_cast<DWORD>(g_line_rest.size()) : count;
  std::memcpy(buffer, g_line_rest.data(), n);
  g_line_rest.erase(0, n);
  if (read != nullptr) *read = n;
  return kTrue;
}

int _getch() { return ::_getch(); }

BOOL SetConsoleTextAttribute(HANDLE output, WORD attribute) {
  return ::SetConsoleTextAttribute(output, attribute);
}

}  // namespace platform::win32

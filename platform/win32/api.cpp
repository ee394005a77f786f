// Windows backend: every entry forwards to the Win32 function of the same name.
// Our declarations come first: windows.h defines macros of the same names.
#include "platform/platform.h"
// clang-format off
#include <windows.h>
// clang-format on
#include <conio.h>
#include <oleauto.h>
#include <psapi.h>
#include <shlobj.h>
#include <shlwapi.h>

// psapi.h renames GetModuleInformation, a member name of ours.
#undef GetModuleInformation

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace platform {
namespace {

static_assert(sizeof(WCHAR) == sizeof(wchar_t));
static_assert(sizeof(SYSTEMTIME) == sizeof(::SYSTEMTIME));
static_assert(sizeof(STARTUPINFOA) == sizeof(::STARTUPINFOA));
static_assert(sizeof(PROCESS_INFORMATION) == sizeof(::PROCESS_INFORMATION));

wchar_t* W(WCHAR* p) { return reinterpret_cast<wchar_t*>(p); }
const wchar_t* W(const WCHAR* p) { return reinterpret_cast<const wchar_t*>(p); }

// No application framework is linked in: its initialisation always succeeds.
BOOL FrameworkInit(HMODULE, HMODULE, char*, int) { return kTrue; }
char* CommandLine() { return ::GetCommandLineA(); }
void Exit(UINT code) { ::ExitProcess(code); }
void WriteStdErr(const char* bytes, size_t length) {
  std::fwrite(bytes, 1, length, stderr);
  std::fflush(stderr);
}

HANDLE ProcessHeap() { return ::GetProcessHeap(); }
void* Alloc(HANDLE heap, DWORD flags, size_t bytes) { return ::HeapAlloc(heap, flags, bytes); }
BOOL Free(HANDLE heap, DWORD flags, void* block) { return ::HeapFree(heap, flags, block); }
BOOL BadReadPtr(const void* address, size_t bytes) { return ::IsBadReadPtr(address, bytes); }

HMODULE ModuleHandle(const char* name) { return ::GetModuleHandleA(name); }
BOOL ModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD) {
  ::MODULEINFO native{};
  if (!::K32GetModuleInformation(process, static_cast<::HMODULE>(module), &native, sizeof native))
    return kFalse;
  info->lpBaseOfDll = native.lpBaseOfDll;
  info->SizeOfImage = native.SizeOfImage;
  info->EntryPoint = native.EntryPoint;
  return kTrue;
}
HMODULE LoadModule(const char* name) { return ::LoadLibraryA(name); }
FARPROC ProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<FARPROC>(::GetProcAddress(static_cast<::HMODULE>(module), name));
}
BOOL FreeLib(HMODULE module) { return ::FreeLibrary(static_cast<::HMODULE>(module)); }
HICON LoadIconResource(HMODULE module, const char* id) {
  return ::LoadIconA(static_cast<HINSTANCE>(module), id);
}

int ShowMessage(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(static_cast<::HWND>(owner), text, caption, type);
}
int Format(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = ::wvsprintfA(buffer, format, args);
  va_end(args);
  return n;
}

int ToWide(UINT cp, DWORD flags, const char* bytes, int count, WCHAR* wide, int wide_count) {
  return ::MultiByteToWideChar(cp, flags, bytes, count, W(wide), wide_count);
}
int FromWide(UINT cp, DWORD flags, const WCHAR* wide, int count, char* bytes, int byte_count,
             const char* default_char, BOOL* used_default) {
  return ::WideCharToMultiByte(cp, flags, W(wide), count, bytes, byte_count, default_char,
                               used_default);
}
int WideLength(const WCHAR* text) { return ::lstrlenW(W(text)); }
int MapString(DWORD locale, DWORD flags, const char* source, int length, char* destination,
              int destination_length) {
  return ::LCMapStringA(locale, flags, source, length, destination, destination_length);
}

void LocalTime(SYSTEMTIME* time) { ::GetLocalTime(reinterpret_cast<::SYSTEMTIME*>(time)); }
void Pause(DWORD milliseconds) { ::Sleep(milliseconds); }
BOOL VariantToSystemTime(double variant_time, SYSTEMTIME* time) {
  return ::VariantTimeToSystemTime(variant_time, reinterpret_cast<::SYSTEMTIME*>(time));
}

HANDLE StdHandle(DWORD which) { return ::GetStdHandle(which); }

// A console shows characters, a file or pipe gets the GBK bytes: toward a
// console the text goes as UTF-16, converted from code page 936, so that any
// console code page shows it. A lead byte that ends one write is held for the
// next write to the same console.
bool IsConsole(HANDLE handle) {
  ::DWORD mode = 0;
  return ::GetConsoleMode(handle, &mode) != 0;
}

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
  int n = ::MultiByteToWideChar(kCodePageGbk, 0, text.data(), static_cast<int>(whole), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(kCodePageGbk, 0, text.data(), static_cast<int>(whole), wide.data(), n);
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

BOOL Write(HANDLE file, const void* bytes, DWORD count, DWORD* written, void* overlapped) {
  ::DWORD n = 0;
  BOOL ok = IsConsole(file)
                ? WriteConsoleText(file, static_cast<const char*>(bytes), count)
                : ::WriteFile(file, bytes, count, &n, static_cast<OVERLAPPED*>(overlapped));
  if (IsConsole(file) && ok != 0) n = count;
  if (written != nullptr) *written = n;
  return ok;
}

// A console line is read as UTF-16 and handed on in GBK; what does not fit in
// `count` bytes comes with the next call, as ReadConsoleA keeps it.
std::string g_line_rest;

BOOL ReadConsoleLine(HANDLE input, void* buffer, DWORD count, DWORD* read, void* control) {
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
int GetKey() { return ::_getch(); }
BOOL TextAttribute(HANDLE output, WORD attribute) {
  return ::SetConsoleTextAttribute(output, attribute);
}

HANDLE CreateFileForward(const char* name, DWORD access, DWORD share, void* security,
                         DWORD disposition, DWORD attributes, HANDLE template_file) {
  return ::CreateFileA(name, access, share, static_cast<LPSECURITY_ATTRIBUTES>(security),
                       disposition, attributes, template_file);
}
DWORD FileSize(HANDLE file, DWORD* high) {
  ::DWORD h = 0;
  ::DWORD low = ::GetFileSize(file, &h);
  if (high != nullptr) *high = h;
  return low;
}
BOOL Read(HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped) {
  ::DWORD n = 0;
  BOOL ok = ::ReadFile(file, buffer, count, &n, static_cast<OVERLAPPED*>(overlapped));
  if (read != nullptr) *read = n;
  return ok;
}
BOOL Close(HANDLE handle) { return ::CloseHandle(handle); }
BOOL FileExistsA(const char* path) { return ::PathFileExistsA(path); }
BOOL IsRelativeA(const char* path) { return ::PathIsRelativeA(path); }
DWORD FullPathA(const char* path, DWORD size, char* buffer, char** file_part) {
  return ::GetFullPathNameA(path, size, buffer, file_part);
}

void StartupInfo(STARTUPINFOA* info) { ::GetStartupInfoA(reinterpret_cast<::STARTUPINFOA*>(info)); }
BOOL StartProcess(const char* application, char* command_line, void* process_security,
                  void* thread_security, BOOL inherit, DWORD flags, void* environment,
                  const char* directory, STARTUPINFOA* startup, PROCESS_INFORMATION* info) {
  return ::CreateProcessA(
      application, command_line, static_cast<LPSECURITY_ATTRIBUTES>(process_security),
      static_cast<LPSECURITY_ATTRIBUTES>(thread_security), inherit, flags, environment, directory,
      reinterpret_cast<::STARTUPINFOA*>(startup), reinterpret_cast<::PROCESS_INFORMATION*>(info));
}
DWORD Wait(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

DWORD TempPath(DWORD size, WCHAR* buffer) { return ::GetTempPathW(size, W(buffer)); }
BOOL SpecialFolder(HWND owner, WCHAR* path, int csidl, BOOL create) {
  return ::SHGetSpecialFolderPathW(static_cast<::HWND>(owner), W(path), csidl, create);
}
BOOL MakeDirectory(const WCHAR* path, void* security) {
  return ::CreateDirectoryW(W(path), static_cast<LPSECURITY_ATTRIBUTES>(security));
}
DWORD ShortPath(const WCHAR* long_path, WCHAR* short_path, DWORD size) {
  return ::GetShortPathNameW(W(long_path), W(short_path), size);
}
BOOL IsDirectory(const WCHAR* path) { return ::PathIsDirectoryW(W(path)); }
int FolderStatus(const WCHAR* path) {
  return ::GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES ? kFolderMissing : kFolderPrivate;
}

const Api kNative = {
    .AfxWinInit = FrameworkInit,
    .GetCommandLineA = CommandLine,
    .ExitProcess = Exit,
    .WriteStandardError = WriteStdErr,
    .GetProcessHeap = ProcessHeap,
    .HeapAlloc = Alloc,
    .HeapFree = Free,
    .IsBadReadPtr = BadReadPtr,
    .GetModuleHandleA = ModuleHandle,
    .GetModuleInformation = ModuleInformation,
    .LoadLibraryA = LoadModule,
    .GetProcAddress = ProcAddress,
    .FreeLibrary = FreeLib,
    .LoadIconA = LoadIconResource,
    .MessageBoxA = ShowMessage,
    .wsprintfA = Format,
    .MultiByteToWideChar = ToWide,
    .WideCharToMultiByte = FromWide,
    .lstrlenW = WideLength,
    .LCMapStringA = MapString,
    .GetLocalTime = LocalTime,
    .Sleep = Pause,
    .VariantTimeToSystemTime = VariantToSystemTime,
    .GetStdHandle = StdHandle,
    .WriteFile = Write,
    .ReadConsoleA = ReadConsoleLine,
    ._getch = GetKey,
    .SetConsoleTextAttribute = TextAttribute,
    .CreateFileA = CreateFileForward,
    .GetFileSize = FileSize,
    .ReadFile = Read,
    .CloseHandle = Close,
    .PathFileExistsA = FileExistsA,
    .PathIsRelativeA = IsRelativeA,
    .GetFullPathNameA = FullPathA,
    .GetStartupInfoA = StartupInfo,
    .CreateProcessA = StartProcess,
    .WaitForSingleObject = Wait,
    .GetTempPathW = TempPath,
    .SHGetSpecialFolderPathW = SpecialFolder,
    .CreateDirectoryW = MakeDirectory,
    .PathIsDirectoryW = IsDirectory,
    .GetShortPathNameW = ShortPath,
    .PrivateFolderStatus = FolderStatus,
};

}  // namespace

const Api& NativeApi() { return kNative; }

const char kPathSeparator[2] = "\\";
const char kDefaultBrowserPath[] = "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe";
const char kTempFolderVariable[] = "TEMP";
const bool kRunsBatchFiles = true;

}  // namespace platform

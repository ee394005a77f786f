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
BOOL Write(HANDLE file, const void* bytes, DWORD count, DWORD* written, void* overlapped) {
  ::DWORD n = 0;
  BOOL ok = ::WriteFile(file, bytes, count, &n, static_cast<OVERLAPPED*>(overlapped));
  if (written != nullptr) *written = n;
  return ok;
}
BOOL ReadConsoleLine(HANDLE input, void* buffer, DWORD count, DWORD* read, void* control) {
  ::DWORD n = 0;
  BOOL ok =
      ::ReadConsoleA(input, buffer, count, &n, static_cast<PCONSOLE_READCONSOLE_CONTROL>(control));
  if (read != nullptr) *read = n;
  return ok;
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
// Every file passes on Windows, whose temporary-files folder is the user's own.
DWORD ForeignOwner(const char*, char*, DWORD) { return 0; }

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
BOOL IsDirectory(const WCHAR* path) { return ::PathIsDirectoryW(W(path)); }
int FolderStatus(const WCHAR* path, WCHAR*, DWORD) {
  return ::GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES ? kFolderMissing : kFolderPrivate;
}
const char* FolderSuffix() { return ""; }

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
    .GetForeignOwner = ForeignOwner,
    .GetStartupInfoA = StartupInfo,
    .CreateProcessA = StartProcess,
    .WaitForSingleObject = Wait,
    .GetTempPathW = TempPath,
    .SHGetSpecialFolderPathW = SpecialFolder,
    .CreateDirectoryW = MakeDirectory,
    .PathIsDirectoryW = IsDirectory,
    .PrivateFolderStatus = FolderStatus,
    .UserFolderSuffix = FolderSuffix,
};

}  // namespace

const Api& NativeApi() { return kNative; }

const char kPathSeparator[2] = "\\";
const char kDefaultBrowserPath[] = "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe";

}  // namespace platform

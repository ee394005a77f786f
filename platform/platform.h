// The operating-system calls the program makes, by their Win32 names and with
// their Win32 meaning. win32/ forwards to Windows; posix/ gives the same meaning
// on Linux. Everything above this layer calls the system only through Os(),
// a table of function pointers that tests may replace (ScopedApi).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using BOOL = int;
using DWORD = uint32_t;
using WORD = uint16_t;
using UINT = uint32_t;
using LONG = int32_t;
using WCHAR = char16_t;
using HANDLE = void*;
using HMODULE = void*;
using HWND = void*;
using HICON = void*;
using FARPROC = void*;

// Same field order and widths as the Win32 records; pointers and handles are
// 64-bit, as in a 64-bit Windows process.
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct STARTUPINFOA {
  DWORD cb;
  char* lpReserved;
  char* lpDesktop;
  char* lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  uint8_t* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

struct MODULEINFO {
  void* lpBaseOfDll;
  DWORD SizeOfImage;
  void* EntryPoint;
};

inline constexpr BOOL kTrue = 1;
inline constexpr BOOL kFalse = 0;
inline HANDLE const kInvalidHandle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Win32 constants the program and the backends use, by area.

// Files.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Folders: the CSIDL values of the special folders.
// clang-format off
enum : int {
  CSIDL_PROGRAMS = 2, CSIDL_PERSONAL = 5, CSIDL_FAVORITES = 6, CSIDL_STARTUP = 7,
  CSIDL_STARTMENU = 11, CSIDL_DESKTOPDIRECTORY = 16, CSIDL_FONTS = 20, CSIDL_APPDATA = 26,
  CSIDL_INTERNET_CACHE = 32, CSIDL_COMMON_APPDATA = 35, CSIDL_WINDOWS = 36, CSIDL_SYSTEM = 37
};
// clang-format on
inline constexpr int kFolderMissing = 0;
inline constexpr int kFolderPrivate = 1;
inline constexpr int kFolderUnsafe = -1;
inline constexpr int kFolderForeign = -2;

// Console: the standard handles, and the character attribute's colour bits.
inline constexpr WORD FOREGROUND_INTENSITY = 0x0008;
inline constexpr WORD BACKGROUND_BLUE = 0x0010;
inline constexpr WORD BACKGROUND_GREEN = 0x0020;
inline constexpr WORD BACKGROUND_RED = 0x0040;
inline constexpr WORD BACKGROUND_INTENSITY = 0x0080;
inline constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
inline constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
inline constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

// Processes: the start-up record, show states of a started program's first
// window, and what a wait gives.
inline constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
enum : int { SW_HIDE = 0, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_SHOW };
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 0x102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// Code pages: the program's texts (code page 936, its locale Chinese, PRC),
// UTF-8, and the half-width mapping.
inline constexpr UINT kCodePageGbk = 936;
inline constexpr DWORD kLocaleChinesePrc = 0x0804;
inline constexpr UINT kCodePageUtf8 = 65001;
inline constexpr DWORD LCMAP_HALFWIDTH = 0x00400000;
// WideCharToMultiByte: no look-alikes for characters the code page lacks.
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;
// MultiByteToWideChar: malformed UTF-8 fails the conversion instead of becoming U+FFFD.
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;

// Modules and memory.
inline constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

// Message boxes.
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr int IDOK = 1;

// The calls, area by area. Each list names X(result, Name, (parameters)) for
// every call of its area. The Api table has one member per call; each backend
// defines a function of the same name and signature (platform::win32::Name
// forwards to Windows, platform::posix::Name gives the meaning on Linux), and
// its table is made from these lists. Adding a call: its line here, its Linux
// function, its Windows forwarder, and its case in the area's conformance test.
// clang-format off

// Files (files.cpp). CloseHandle closes a handle of any kind.
#define ZV_FILES_CALLS(X)                                                                      \
  X(HANDLE, CreateFileA, (const char* name, DWORD access, DWORD share, void* security,         \
                          DWORD disposition, DWORD attributes, HANDLE template_file))          \
  X(DWORD, GetFileSize, (HANDLE file, DWORD* size_high))                                       \
  X(BOOL, ReadFile, (HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped))   \
  X(BOOL, CloseHandle, (HANDLE handle))                                                        \
  X(BOOL, PathFileExistsA, (const char* path))                                                 \
  X(BOOL, PathIsRelativeA, (const char* path))                                                 \
  /* The path made absolute against the working folder; its length, or the size needed */   \
  /* (NUL included) when `size` is too small; 0 on failure. */                              \
  X(DWORD, GetFullPathNameA, (const char* path, DWORD size, char* buffer, char** file_part))    \
  /* Not a Win32 call: whether anyone but the user or root decides what the file at */      \
  /* `path` holds. 0 when the file and each link on the way to it belong to the user or */  \
  /* to root (on Windows, every file). Otherwise the first entry that does not, and the */  \
  /* name of the account it belongs to, go to `buffer` as two texts each ending in a NUL; */\
  /* the result is their size, both NULs counted, and nothing is written when that */       \
  /* exceeds `size`. */                                                                      \
  X(DWORD, GetForeignOwner, (const char* path, char* buffer, DWORD size))

// Folders (folders.cpp). Two are not Win32 calls:
// - PrivateFolderStatus: whether a folder may hold the user's browser profile.
//   kFolderMissing when nothing is there (or the path is too long for the
//   system), kFolderPrivate for a folder only the user controls, reached
//   without a link anyone else could have planted; otherwise kFolderUnsafe, or
//   kFolderForeign when the entry at fault belongs to another account (so the
//   user cannot remove it). That entry (a folder on the way, a link, or the
//   folder itself) goes to `culprit`, when given, cut to `size` units with the
//   NUL. On Windows every existing path counts as private: the
//   temporary-files folder belongs to the user.
// - UserFolderSuffix: what the name of the tool's folder in the
//   temporary-files folder ends with. Nothing on Windows, where that folder is
//   the user's own; "-<user id>" on Linux, where every account shares it (as
//   tmux-<uid>).
#define ZV_FOLDERS_CALLS(X)                                                                    \
  X(DWORD, GetTempPathW, (DWORD size, WCHAR* buffer))                                          \
  X(BOOL, SHGetSpecialFolderPathW, (HWND owner, WCHAR* path, int csidl, BOOL create))          \
  X(BOOL, CreateDirectoryW, (const WCHAR* path, void* security))                               \
  X(BOOL, PathIsDirectoryW, (const WCHAR* path))                                               \
  /* The path with each part that has a short (8.3) name written by it; its length, or */   \
  /* the size needed (NUL included) when `size` is too small; 0 when the path does not */   \
  /* exist. A volume without short names gives the path back unchanged. */                  \
  X(DWORD, GetShortPathNameW, (const WCHAR* long_path, WCHAR* short_path, DWORD size))         \
  X(int, PrivateFolderStatus, (const WCHAR* path, WCHAR* culprit, DWORD size))                 \
  X(const char*, UserFolderSuffix, ())

// Console (console.cpp): the standard handles, their bytes, keys and colours.
#define ZV_CONSOLE_CALLS(X)                                                                    \
  X(HANDLE, GetStdHandle, (DWORD which))                                                       \
  X(BOOL, WriteFile, (HANDLE file, const void* bytes, DWORD count, DWORD* written,             \
                      void* overlapped))                                                       \
  X(BOOL, ReadConsoleA, (HANDLE input, void* buffer, DWORD count, DWORD* read, void* control)) \
  X(int, _getch, ())                                                                           \
  X(BOOL, SetConsoleTextAttribute, (HANDLE output, WORD attribute))

// Processes (processes.cpp): this process's start and end, and the programs it
// starts. AfxWinInit is the application framework's initialisation;
// WriteStandardError writes bytes to standard error, unbuffered.
#define ZV_PROCESSES_CALLS(X)                                                                  \
  X(BOOL, AfxWinInit, (HMODULE instance, HMODULE previous, char* command_line, int show))     \
  X(char*, GetCommandLineA, ())                                                                \
  X(void, ExitProcess, (UINT code)) /* does not return */                                     \
  X(void, WriteStandardError, (const char* bytes, size_t length))                              \
  X(void, GetStartupInfoA, (STARTUPINFOA* info))                                               \
  X(BOOL, CreateProcessA, (const char* application, char* command_line, void* process_security, \
                           void* thread_security, BOOL inherit_handles, DWORD flags,           \
                           void* environment, const char* directory, STARTUPINFOA* startup,    \
                           PROCESS_INFORMATION* info))                                         \
  X(DWORD, WaitForSingleObject, (HANDLE handle, DWORD milliseconds))

// Code pages (code_pages.cpp): conversions between code pages and UTF-16, and
// the half-width mapping.
#define ZV_CODE_PAGES_CALLS(X)                                                                 \
  X(int, MultiByteToWideChar, (UINT code_page, DWORD flags, const char* bytes, int byte_count, \
                               WCHAR* wide, int wide_count))                                   \
  X(int, WideCharToMultiByte, (UINT code_page, DWORD flags, const WCHAR* wide, int wide_count, \
                               char* bytes, int byte_count, const char* default_char,          \
                               BOOL* used_default))                                            \
  X(int, lstrlenW, (const WCHAR* text))                                                        \
  X(int, LCMapStringA, (DWORD locale, DWORD flags, const char* source, int source_length,      \
                        char* destination, int destination_length))

// Clock, dates and delays (clock.cpp).
#define ZV_CLOCK_CALLS(X)                                                                      \
  X(void, GetLocalTime, (SYSTEMTIME* time))                                                    \
  X(BOOL, VariantTimeToSystemTime, (double variant_time, SYSTEMTIME* time))                    \
  X(void, Sleep, (DWORD milliseconds))

// Modules and memory (modules.cpp): the heap, readable memory, the program's
// image and its resources, and libraries bound by name.
#define ZV_MODULES_CALLS(X)                                                                    \
  X(HANDLE, GetProcessHeap, ())                                                                \
  X(void*, HeapAlloc, (HANDLE heap, DWORD flags, size_t bytes))                                \
  X(BOOL, HeapFree, (HANDLE heap, DWORD flags, void* block))                                   \
  X(BOOL, IsBadReadPtr, (const void* address, size_t bytes))                                   \
  X(HMODULE, GetModuleHandleA, (const char* name))                                             \
  X(BOOL, GetModuleInformation, (HANDLE process, HMODULE module, MODULEINFO* info, DWORD size)) \
  X(HMODULE, LoadLibraryA, (const char* name))                                                 \
  X(FARPROC, GetProcAddress, (HMODULE module, const char* name_or_ordinal))                    \
  X(BOOL, FreeLibrary, (HMODULE module))                                                       \
  X(HICON, LoadIconA, (HMODULE module, const char* name_or_id))

// Message boxes (message_boxes.cpp), and the formatting of their texts.
#define ZV_MESSAGE_BOXES_CALLS(X)                                                              \
  X(int, MessageBoxA, (HWND owner, const char* text, const char* caption, UINT type))          \
  X(int, wsprintfA, (char* buffer, const char* format, ...))

#define ZV_ALL_CALLS(X)                                                                       \
  ZV_FILES_CALLS(X) ZV_FOLDERS_CALLS(X) ZV_CONSOLE_CALLS(X) ZV_PROCESSES_CALLS(X)           \
  ZV_CODE_PAGES_CALLS(X) ZV_CLOCK_CALLS(X) ZV_MODULES_CALLS(X) ZV_MESSAGE_BOXES_CALLS(X)

// clang-format on

struct Api {
// NOLINTNEXTLINE(bugprone-macro-parentheses): makes a declarator, not an expression
#define ZV_API_MEMBER(result, name, parameters) result(*name) parameters;
  ZV_ALL_CALLS(ZV_API_MEMBER)
#undef ZV_API_MEMBER
};

// Defines NativeApi(), the table of the backend whose functions are in the
// namespace ZV_BACKEND (each backend's api.cpp names it, then uses this once).
#define ZV_API_ENTRY(result, name, parameters) .name = ZV_BACKEND::name,
#define ZV_DEFINE_NATIVE_API                                     \
  const Api& NativeApi() {                                       \
    static constexpr Api kNative = {ZV_ALL_CALLS(ZV_API_ENTRY)}; \
    return kNative;                                              \
  }

// The table in force: the real backend unless a test installed another.
const Api& Os();

// The real backend of this build.
const Api& NativeApi();

// Installs another table for the lifetime of the object (tests only).
class ScopedApi {
 public:
  explicit ScopedApi(const Api& api);
  ~ScopedApi();
  ScopedApi(const ScopedApi&) = delete;
  ScopedApi& operator=(const ScopedApi&) = delete;

 private:
  const Api* previous_;
};

// Facts of the platform the launcher's texts depend on: the path separator
// ("\\" on Windows, "/" on Linux, as a one-character text), where the
// browser is installed by default, and the variable that names the
// temporary-files folder ("TEMP", "TMPDIR").
extern const char kPathSeparator[2];
extern const char kDefaultBrowserPath[];
extern const char kTempFolderVariable[];
// Whether a program named *.bat or *.cmd is run by the command interpreter,
// which expands %NAME% in its arguments, quoted or not (Windows).
extern const bool kRunsBatchFiles;

}  // namespace platform

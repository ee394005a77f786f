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

inline constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr int IDOK = 1;

inline constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
inline constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
inline constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;

// Show states of a started program's first window.
enum : int { SW_HIDE = 0, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_SHOW };
inline constexpr int SW_SHOWMINNOACTIVE = 7;

inline constexpr DWORD LCMAP_HALFWIDTH = 0x00400000;

struct Api {
  // Framework, process and standard error.
  BOOL (*AfxWinInit)(HMODULE instance, HMODULE previous, char* command_line, int show);
  char* (*GetCommandLineA)();
  void (*ExitProcess)(UINT code);  // does not return
  // Writes bytes to the C library's standard error stream, unbuffered.
  void (*WriteStandardError)(const char* bytes, size_t length);

  // Memory.
  HANDLE (*GetProcessHeap)();
  void* (*HeapAlloc)(HANDLE heap, DWORD flags, size_t bytes);
  BOOL (*HeapFree)(HANDLE heap, DWORD flags, void* block);
  BOOL (*IsBadReadPtr)(const void* address, size_t bytes);

  // Modules.
  HMODULE (*GetModuleHandleA)(const char* name);
  BOOL (*GetModuleInformation)(HANDLE process, HMODULE module, MODULEINFO* info, DWORD size);
  HMODULE (*LoadLibraryA)(const char* name);
  FARPROC (*GetProcAddress)(HMODULE module, const char* name_or_ordinal);
  BOOL (*FreeLibrary)(HMODULE module);
  HICON (*LoadIconA)(HMODULE module, const char* name_or_id);

  // User interface and formatting.
  int (*MessageBoxA)(HWND owner, const char* text, const char* caption, UINT type);
  int (*wsprintfA)(char* buffer, const char* format, ...);

  // Code pages.
  int (*MultiByteToWideChar)(UINT code_page, DWORD flags, const char* bytes, int byte_count,
                             WCHAR* wide, int wide_count);
  int (*WideCharToMultiByte)(UINT code_page, DWORD flags, const WCHAR* wide, int wide_count,
                             char* bytes, int byte_count, const char* default_char,
                             BOOL* used_default);
  int (*lstrlenW)(const WCHAR* text);
  int (*LCMapStringA)(DWORD locale, DWORD flags, const char* source, int source_length,
                      char* destination, int destination_length);

  // Clock and delays.
  void (*GetLocalTime)(SYSTEMTIME* time);
  void (*Sleep)(DWORD milliseconds);
  BOOL (*VariantTimeToSystemTime)(double variant_time, SYSTEMTIME* time);

  // Console.
  HANDLE (*GetStdHandle)(DWORD which);
  BOOL (*WriteFile)(HANDLE file, const void* bytes, DWORD count, DWORD* written, void* overlapped);
  BOOL (*ReadConsoleA)(HANDLE input, void* buffer, DWORD count, DWORD* read, void* control);
  int (*_getch)();
  BOOL (*SetConsoleTextAttribute)(HANDLE output, WORD attribute);

  // Files.
  HANDLE(*CreateFileA)
  (const char* name, DWORD access, DWORD share, void* security, DWORD disposition, DWORD attributes,
   HANDLE template_file);
  DWORD (*GetFileSize)(HANDLE file, DWORD* size_high);
  BOOL (*ReadFile)(HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped);
  BOOL (*CloseHandle)(HANDLE handle);
  BOOL (*PathFileExistsA)(const char* path);
  BOOL (*PathIsRelativeA)(const char* path);
  // The path made absolute against the working folder; its length, or the
  // size needed (NUL included) when `size` is too small; 0 on failure.
  DWORD (*GetFullPathNameA)(const char* path, DWORD size, char* buffer, char** file_part);
  // Not a Win32 call: whether anyone but the user or root decides what the
  // file at `path` holds. 0 when the file and each link on the way to it
  // belong to the user or to root (on Windows, every file). Otherwise the first
  // entry that does not, and the name of the account it belongs to, go to
  // `buffer` as two texts each ending in a NUL; the result is their size, both
  // NULs counted, and nothing is written when that exceeds `size`.
  DWORD (*GetForeignOwner)(const char* path, char* buffer, DWORD size);

  // Programs.
  void (*GetStartupInfoA)(STARTUPINFOA* info);
  BOOL(*CreateProcessA)
  (const char* application, char* command_line, void* process_security, void* thread_security,
   BOOL inherit_handles, DWORD flags, void* environment, const char* directory,
   STARTUPINFOA* startup, PROCESS_INFORMATION* info);
  DWORD (*WaitForSingleObject)(HANDLE handle, DWORD milliseconds);

  // Folders.
  DWORD (*GetTempPathW)(DWORD size, WCHAR* buffer);
  BOOL (*SHGetSpecialFolderPathW)(HWND owner, WCHAR* path, int csidl, BOOL create);
  BOOL (*CreateDirectoryW)(const WCHAR* path, void* security);
  BOOL (*PathIsDirectoryW)(const WCHAR* path);
  // Not a Win32 call: whether a folder may hold the user's browser profile.
  // kFolderMissing when nothing is there (or the path is too long for the
  // system), kFolderPrivate for a folder only the user controls, reached
  // without a link anyone else could have planted; otherwise kFolderUnsafe,
  // or kFolderForeign when the entry at fault belongs to another account (so
  // the user cannot remove it). That entry (a folder on the way, a link, or the
  // folder itself) goes to `culprit`, when given, cut to `size` units with
  // the NUL. On Windows every existing path counts as private: the
  // temporary-files folder belongs to the user.
  int (*PrivateFolderStatus)(const WCHAR* path, WCHAR* culprit, DWORD size);
  // Not a Win32 call: what the name of the tool's folder in the temporary-files
  // folder ends with. Nothing on Windows, where that folder is the user's own;
  // "-<user id>" on Linux, where every account shares it (as tmux-<uid>).
  const char* (*UserFolderSuffix)();
};

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

inline constexpr int kFolderMissing = 0;
inline constexpr int kFolderPrivate = 1;
inline constexpr int kFolderUnsafe = -1;
inline constexpr int kFolderForeign = -2;

// Code page and locale (Chinese, PRC) of the program's texts, and UTF-8's code page.
inline constexpr UINT kCodePageGbk = 936;
inline constexpr DWORD kLocaleChinesePrc = 0x0804;
inline constexpr UINT kCodePageUtf8 = 65001;

// Facts of the platform the launcher's texts depend on: the path separator
// ("\\" on Windows, "/" on Linux, as a one-character text) and where the
// browser is installed by default.
extern const char kPathSeparator[2];
extern const char kDefaultBrowserPath[];

}  // namespace platform

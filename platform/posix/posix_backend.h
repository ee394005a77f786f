// Functions of the Linux backend, gathered into the table by api.cpp.
#pragma once

#include "platform/platform.h"

namespace platform::posix {

// Process, memory and modules (process_memory.cpp).
BOOL AfxWinInit(HMODULE instance, HMODULE previous, char* command_line, int show);
char* GetCommandLineA();
void ExitProcess(UINT code);
void WriteStandardError(const char* bytes, size_t length);
HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE heap, DWORD flags, size_t bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, void* block);
BOOL IsBadReadPtr(const void* address, size_t bytes);
HMODULE GetModuleHandleA(const char* name);
BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD size);
HMODULE LoadLibraryA(const char* name);
FARPROC GetProcAddress(HMODULE module, const char* name_or_ordinal);
BOOL FreeLibrary(HMODULE module);
HICON LoadIconA(HMODULE module, const char* name_or_id);

// Message boxes and formatting (message_box.cpp).
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
int wsprintfA(char* buffer, const char* format, ...);

// Code pages (codepage.cpp, lcmap.cpp).
int MultiByteToWideChar(UINT code_page, DWORD flags, const char* bytes, int byte_count, WCHAR* wide,
                        int wide_count);
int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide, int wide_count, char* bytes,
                        int byte_count, const char* default_char, BOOL* used_default);
int lstrlenW(const WCHAR* text);
int LCMapStringA(DWORD locale, DWORD flags, const char* source, int source_length,
                 char* destination, int destination_length);

// Clock and delays (clock.cpp; VariantTimeToSystemTime in variant_time.cpp).
void GetLocalTime(SYSTEMTIME* out);
void Sleep(DWORD milliseconds);
BOOL VariantTimeToSystemTime(double variant_time, SYSTEMTIME* time);

// Console (console.cpp).
HANDLE GetStdHandle(DWORD which);
BOOL WriteFile(HANDLE file, const void* bytes, DWORD count, DWORD* written, void* overlapped);
BOOL ReadConsoleA(HANDLE input, void* buffer, DWORD count, DWORD* read, void* control);
int GetKeyNoEcho();
BOOL SetConsoleTextAttribute(HANDLE output, WORD attribute);

// Files (files.cpp).
HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD attributes, HANDLE template_file);
DWORD GetFileSize(HANDLE file, DWORD* size_high);
BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped);
BOOL PathFileExistsA(const char* path);
BOOL PathIsRelativeA(const char* path);
DWORD GetFullPathNameA(const char* path, DWORD size, char* buffer, char** file_part);
DWORD GetForeignOwner(const char* path, char* buffer, DWORD size);

// Handles of every kind (handles.cpp).
BOOL CloseHandle(HANDLE handle);

// Programs (process.cpp).
void GetStartupInfoA(STARTUPINFOA* info);
BOOL CreateProcessA(const char* application, char* command_line, void* process_security,
                    void* thread_security, BOOL inherit_handles, DWORD flags, void* environment,
                    const char* directory, STARTUPINFOA* startup, PROCESS_INFORMATION* info);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Folders (folders.cpp).
DWORD GetTempPathW(DWORD size, WCHAR* buffer);
BOOL SHGetSpecialFolderPathW(HWND owner, WCHAR* path, int csidl, BOOL create);
BOOL CreateDirectoryW(const WCHAR* path, void* security);
BOOL PathIsDirectoryW(const WCHAR* path);
int PrivateFolderStatus(const WCHAR* path, WCHAR* culprit, DWORD size);
const char* UserFolderSuffix();

// Console (console.cpp): puts the terminal's own colours back, if we changed them.
void RestoreTerminalColours();

}  // namespace platform::posix

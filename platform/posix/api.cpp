// Linux backend: the table of the functions in this folder.
#include "platform/posix/posix_backend.h"

namespace platform {
namespace {

const Api kNative = {
    .AfxWinInit = posix::AfxWinInit,
    .GetCommandLineA = posix::GetCommandLineA,
    .ExitProcess = posix::ExitProcess,
    .WriteStandardError = posix::WriteStandardError,
    .GetProcessHeap = posix::GetProcessHeap,
    .HeapAlloc = posix::HeapAlloc,
    .HeapFree = posix::HeapFree,
    .IsBadReadPtr = posix::IsBadReadPtr,
    .GetModuleHandleA = posix::GetModuleHandleA,
    .GetModuleInformation = posix::GetModuleInformation,
    .LoadLibraryA = posix::LoadLibraryA,
    .GetProcAddress = posix::GetProcAddress,
    .FreeLibrary = posix::FreeLibrary,
    .LoadIconA = posix::LoadIconA,
    .MessageBoxA = posix::MessageBoxA,
    .wsprintfA = posix::wsprintfA,
    .MultiByteToWideChar = posix::MultiByteToWideChar,
    .WideCharToMultiByte = posix::WideCharToMultiByte,
    .lstrlenW = posix::lstrlenW,
    .LCMapStringA = posix::LCMapStringA,
    .GetLocalTime = posix::GetLocalTime,
    .Sleep = posix::Sleep,
    .VariantTimeToSystemTime = posix::VariantTimeToSystemTime,
    .GetStdHandle = posix::GetStdHandle,
    .WriteFile = posix::WriteFile,
    .ReadConsoleA = posix::ReadConsoleA,
    ._getch = posix::GetKeyNoEcho,
    .SetConsoleTextAttribute = posix::SetConsoleTextAttribute,
    .CreateFileA = posix::CreateFileA,
    .GetFileSize = posix::GetFileSize,
    .ReadFile = posix::ReadFile,
    .CloseHandle = posix::CloseHandle,
    .PathFileExistsA = posix::PathFileExistsA,
    .PathIsRelativeA = posix::PathIsRelativeA,
    .GetFullPathNameA = posix::GetFullPathNameA,
    .GetForeignOwner = posix::GetForeignOwner,
    .GetStartupInfoA = posix::GetStartupInfoA,
    .CreateProcessA = posix::CreateProcessA,
    .WaitForSingleObject = posix::WaitForSingleObject,
    .GetTempPathW = posix::GetTempPathW,
    .SHGetSpecialFolderPathW = posix::SHGetSpecialFolderPathW,
    .CreateDirectoryW = posix::CreateDirectoryW,
    .PathIsDirectoryW = posix::PathIsDirectoryW,
    .PrivateFolderStatus = posix::PrivateFolderStatus,
    .UserFolderSuffix = posix::UserFolderSuffix,
};

}  // namespace

const Api& NativeApi() { return kNative; }

const char kPathSeparator[2] = "/";
const char kDefaultBrowserPath[] = "/usr/bin/google-chrome";

}  // namespace platform

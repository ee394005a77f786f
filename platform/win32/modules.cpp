// Windows backend: the heap, readable memory, modules and their resources.
#include "platform/win32/win32_backend.h"

namespace platform::win32 {

HANDLE GetProcessHeap() { return ::GetProcessHeap(); }

void* HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) { return ::HeapAlloc(heap, flags, bytes); }

BOOL HeapFree(HANDLE heap, DWORD flags, void* block) { return ::HeapFree(heap, flags, block); }

BOOL IsBadReadPtr(const void* address, size_t bytes) { return ::IsBadReadPtr(address, bytes); }

HMODULE GetModuleHandleA(const char* name) { return ::GetModuleHandleA(name); }

BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD) {
  ::MODULEINFO native{};
  if (!::K32GetModuleInformation(process, static_cast<::HMODULE>(module), &native, sizeof native))
    return kFalse;
  info->lpBaseOfDll = native.lpBaseOfDll;
  info->SizeOfImage = native.SizeOfImage;
  info->EntryPoint = native.EntryPoint;
  return kTrue;
}

HMODULE LoadLibraryA(const char* name) { return ::LoadLibraryA(name); }

FARPROC GetProcAddress(HMODULE module, const char* name_or_ordinal) {
  return reinterpret_cast<FARPROC>(
      ::GetProcAddress(static_cast<::HMODULE>(module), name_or_ordinal));
}

BOOL FreeLibrary(HMODULE module) { return ::FreeLibrary(static_cast<::HMODULE>(module)); }

HICON LoadIconA(HMODULE module, const char* name_or_id) {
  return ::LoadIconA(static_cast<HINSTANCE>(module), name_or_id);
}

}  // namespace platform::win32

// Linux backend: the heap, readable memory, the program's image and the
// dynamic loader.
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <span>

#include "platform/posix/posix_backend.h"

namespace platform::posix {
namespace {

// The heap is the C library's; the handle only has to be non-null and stable.
int g_heap_tag;

struct ImageRange {
  uintptr_t begin;
  uintptr_t end;
};

// The loaded segments of the main program: the first object dl_iterate_phdr lists.
const ImageRange& MainImage() {
  static const ImageRange range = [] {
    ImageRange r{};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
          auto* out = static_cast<ImageRange*>(data);
          uintptr_t lo = UINTPTR_MAX;
          uintptr_t hi = 0;
          for (const auto& ph : std::span(info->dlpi_phdr, info->dlpi_phnum)) {
            if (ph.p_type != PT_LOAD) continue;
            lo = std::min<uintptr_t>(lo, info->dlpi_addr + ph.p_vaddr);
            hi = std::max<uintptr_t>(hi, info->dlpi_addr + ph.p_vaddr + ph.p_memsz);
          }
          if (hi > lo) *out = {lo, hi};
          return 1;  // the main program only
        },
        &r);
    return r;
  }();
  return range;
}

// Equal but for the case of ASCII letters, as Windows compares module names
// (without the C library's locale tables, which would be paged in for it).
bool SameModuleName(const char* a, const char* b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; };
  while (*a != 0 && lower(*a) == lower(*b)) ++a, ++b;
  return lower(*a) == lower(*b);
}

// Windows module names the program uses, by the library that serves them here.
const char* LibraryFileName(const char* name) {
  if (SameModuleName(name, "msvcrt.dll") || SameModuleName(name, "msvcrt")) return "libc.so.6";
  return name;
}

// The break as the program starts, before its own blocks are allocated:
// from there to the current break lies the C library's heap, all of it
// mapped readable, so blocks there need no probe. (The heap may begin a
// little lower; blocks there are probed.)
uintptr_t g_break_at_start;
[[gnu::constructor(101)]] void NoteBreakAtStart() {
  g_break_at_start = reinterpret_cast<uintptr_t>(sbrk(0));
}

bool InBreakArea(const void* address, size_t bytes) {
  const auto begin = reinterpret_cast<uintptr_t>(address);
  const auto end = reinterpret_cast<uintptr_t>(sbrk(0));
  return begin >= g_break_at_start && begin < end && bytes <= end - begin;
}

// Writes to a private pipe: the kernel reports EFAULT for memory the process
// cannot read, without a fault. Raw system calls keep sanitizers out of it.
bool Readable(const void* address, size_t bytes) {
  static int fds[2] = {-1, -1};
  if (fds[0] < 0 && pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  const char* p = static_cast<const char*>(address);
  char sink[4096];
  while (bytes > 0) {
    size_t chunk = std::min(bytes, sizeof sink);
    long n = syscall(SYS_write, fds[1], p, chunk);
    if (n < 0) return false;
    syscall(SYS_read, fds[0], sink, static_cast<size_t>(n));
    p += n;
    bytes -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace
HANDLE GetProcessHeap() { return &g_heap_tag; }

void* HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  if (heap != &g_heap_tag) return nullptr;
  size_t n = bytes == 0 ? 1 : bytes;  // a zero-byte block is still a block
  return (flags & HEAP_ZERO_MEMORY) != 0 ? std::calloc(1, n) : std::malloc(n);
}

BOOL HeapFree(HANDLE heap, DWORD, void* block) {
  if (heap != &g_heap_tag) return kFalse;
  std::free(block);
  return kTrue;
}

BOOL IsBadReadPtr(const void* address, size_t bytes) {
  if (bytes == 0) return kFalse;
  if (address == nullptr) return kTrue;
  return InBreakArea(address, bytes) || Readable(address, bytes) ? kFalse : kTrue;
}

HMODULE GetModuleHandleA(const char* name) {
  if (name == nullptr) return reinterpret_cast<HMODULE>(MainImage().begin);
  // Like Windows, finding a module that is already present takes no reference.
  void* handle = dlopen(LibraryFileName(name), RTLD_LAZY | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle;
}

BOOL GetModuleInformation(HANDLE, HMODULE module, MODULEINFO* info, DWORD size) {
  const ImageRange& image = MainImage();
  if (info == nullptr || size < sizeof(MODULEINFO) || image.end == 0 ||
      reinterpret_cast<uintptr_t>(module) != image.begin)
    return kFalse;
  info->lpBaseOfDll = reinterpret_cast<void*>(image.begin);
  info->SizeOfImage = static_cast<DWORD>(image.end - image.begin);
  info->EntryPoint = nullptr;
  return kTrue;
}

HMODULE LoadLibraryA(const char* name) {
  if (name == nullptr) return nullptr;
  return dlopen(LibraryFileName(name), RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, const char* name_or_ordinal) {
  // ELF objects export no ordinals: an ordinal (a value below 0x10000) is never found.
  if (module == nullptr || reinterpret_cast<uintptr_t>(name_or_ordinal) <= 0xFFFF) return nullptr;
  return dlsym(module, name_or_ordinal);
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr) return kFalse;
  return dlclose(module) == 0 ? kTrue : kFalse;
}

// Linux programs carry no icon resources.
HICON LoadIconA(HMODULE, const char*) { return nullptr; }

}  // namespace platform::posix

#include "runtime/core/memory.h"

#include "platform/platform.h"
#include "runtime/core/startup.h"

namespace {

platform::HANDLE g_process_heap = nullptr;

struct ImageBoundsRecord {
  uintptr_t base = 0;
  uint32_t size = 0;  // 0: not computed yet
  uintptr_t end = 0;
};
ImageBoundsRecord g_image_bounds;

platform::HANDLE Heap() {
  if (g_process_heap == nullptr) g_process_heap = platform::Os().GetProcessHeap();
  return g_process_heap;
}

void* Allocate(uint32_t size, platform::DWORD flags) {
  const platform::Api& os = platform::Os();
  void* block = os.HeapAlloc(Heap(), flags, size);
  if (block == nullptr) {
    os.MessageBoxA(nullptr, "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3", "error", platform::MB_ICONERROR);
    RuntimeExit(0);
  }
  return block;
}

void ComputeImageBounds() {
  const platform::Api& os = platform::Os();
  platform::HMODULE module = os.GetModuleHandleA(nullptr);
  platform::MODULEINFO info{};
  // The current-process pseudo handle is -1, as GetCurrentProcess gives it.
  if (os.GetModuleInformation(platform::kInvalidHandle, module, &info, sizeof info) == 0) return;
  g_image_bounds.base = reinterpret_cast<uintptr_t>(module);
  g_image_bounds.size = info.SizeOfImage;
  g_image_bounds.end = g_image_bounds.base + info.SizeOfImage;
}

// Values up to this are not addresses: null, and small integers that share a
// field with them.
constexpr uintptr_t kLargestNonAddress = 0xFFFF;
// The bytes FreeBlock probes before it releases a block: a heap block's
// smallest size on every heap the program runs on.
constexpr size_t kReadabilityProbe = 8;

}  // namespace

void CacheProcessHeap() { g_process_heap = platform::Os().GetProcessHeap(); }

void* AllocZeroed(uint32_t size) { return Allocate(size, platform::HEAP_ZERO_MEMORY); }

void* AllocBlock(uint32_t size) { return Allocate(size, 0); }

void FreeBlock(const void* block) {
  auto p = reinterpret_cast<uintptr_t>(block);
  if (p <= kLargestNonAddress) return;
  if (g_image_bounds.size == 0) ComputeImageBounds();
  if (g_image_bounds.base <= p && p < g_image_bounds.end) return;
  const platform::Api& os = platform::Os();
  if (os.IsBadReadPtr(block, kReadabilityProbe) != 0) return;
  os.HeapFree(Heap(), 0, const_cast<void*>(block));
}

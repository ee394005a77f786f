#include "runtime/core/memory.h"

#include <cstddef>

#include "platform/platform.h"

namespace {

// RuntimeExit unwinds to RuntimeMain by throwing this. It deliberately derives
// from nothing, so that no handler for ordinary exceptions can catch it. The
// destructors of the abandoned routines' locals run on the way; no statement
// after the RuntimeExit call does.
struct ExitUnwind {
  int32_t code;
};

platform::HANDLE g_process_heap = nullptr;

struct ImageBoundsRecord {
  uintptr_t base = 0;
  uint32_t size = 0;  // 0: not computed yet
  uintptr_t end = 0;
};
ImageBoundsRecord g_image_bounds;

bool g_exit_anchor_taken = false;
ShutdownRoutine g_program_shutdown = nullptr;
ShutdownRoutine g_final_shutdown = nullptr;

// Notification routines of the runtime's libraries; this program has none.
const NotifyRoutine kLibraryNotifyList[] = {nullptr};

constexpr uint32_t kNotifyStartup = 1;
constexpr uint32_t kNotifyShutdown = 6;

void NotifyLibraries(uint32_t message) {
  for (const NotifyRoutine* r = kLibraryNotifyList; *r != nullptr; ++r) (*r)(message, 0, 0);
}

void RunShutdownSequence() {
  if (g_program_shutdown != nullptr) g_program_shutdown();
  NotifyLibraries(kNotifyShutdown);
  if (g_final_shutdown != nullptr) g_final_shutdown();
}

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

}  // namespace

int32_t RuntimeMain(int, char**, char**, EntryRoutine entry) {
  const platform::Api& os = platform::Os();
  if (os.AfxWinInit(os.GetModuleHandleA(nullptr), nullptr, os.GetCommandLineA(), 0) == 0) {
    static const char kLine[] = "Fatal Error: MFC initialization failed\n";
    os.WriteStandardError(kLine, sizeof kLine - 1);
    return 1;
  }
  g_process_heap = os.GetProcessHeap();
  NotifyLibraries(kNotifyStartup);
  g_exit_anchor_taken = true;
  int32_t code = 0;
  try {
    entry();
    // An entry routine that returns by itself ends the run like RuntimeExit(0).
    RunShutdownSequence();
  } catch (const ExitUnwind& exit) {
    code = exit.code;
  }
  // Nothing may resume a RuntimeMain that has returned.
  g_exit_anchor_taken = false;
  return code;
}

void RuntimeExit(int32_t code) {
  RunShutdownSequence();
  if (g_exit_anchor_taken) throw ExitUnwind{code};
  platform::Os().ExitProcess(static_cast<platform::UINT>(code));
  __builtin_unreachable();
}

void SetShutdownCallback(ShutdownRoutine routine) { g_program_shutdown = routine; }

void SetFinalShutdownRoutine(ShutdownRoutine routine) { g_final_shutdown = routine; }

void* AllocZeroed(uint32_t size) { return Allocate(size, platform::HEAP_ZERO_MEMORY); }

void* AllocBlock(uint32_t size) { return Allocate(size, 0); }

void FreeBlock(const void* block) {
  auto p = reinterpret_cast<uintptr_t>(block);
  if (p <= 0xFFFF) return;
  if (g_image_bounds.size == 0) ComputeImageBounds();
  if (g_image_bounds.base <= p && p < g_image_bounds.end) return;
  const platform::Api& os = platform::Os();
  if (os.IsBadReadPtr(block, 8) != 0) return;
  os.HeapFree(Heap(), 0, const_cast<void*>(block));
}

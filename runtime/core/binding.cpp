#include "runtime/core/binding.h"

#include <cstring>

#include "runtime/core/decimal.h"
#include "runtime/core/startup.h"

LoadedModuleTable g_loaded_modules = {};

namespace {

constexpr size_t kMessageBufferSize = 1024;

// 同目录下无法找到DLL文件:"%s".请与作者联系.
const char kModuleNotFound[] =
    "\xCD\xAC\xC4\xBF\xC2\xBC\xCF\xC2\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD"
    "DLL\xCE\xC4\xBC\xFE:\"%s\".\xC7\xEB\xD3\xEB\xD7\xF7\xD5\xDF\xC1\xAA\xCF\xB5.";
// 无法定位DLL文件:"%s"当中的"%s"函数.
const char kFunctionNotFound[] =
    "\xCE\xDE\xB7\xA8\xB6\xA8\xCE\xBB"
    "DLL\xCE\xC4\xBC\xFE:\"%s\"\xB5\xB1\xD6\xD0\xB5\xC4\"%s\"\xBA\xAF\xCA\xFD.";

// Message buffer, shared by the name copy and the messages.
char g_message[kMessageBufferSize];

[[noreturn]] void Fail(const char* format, const char* module, const char* function) {
  const platform::Api& os = platform::Os();
  // wsprintfA writes at most 1024 bytes, so long names cannot overflow.
  os.wsprintfA(g_message, format, module, function);
  os.MessageBoxA(nullptr, g_message, "DLL ERROR", platform::MB_ICONERROR);
  RuntimeExit(0);
}

}  // namespace

void* BindLibraryFunction(const char* module, const char* function, BindingSlot* slot) {
  const platform::Api& os = platform::Os();
  platform::HMODULE handle = os.GetModuleHandleA(module);
  if (handle == nullptr) {
    handle = os.LoadLibraryA(module);
    if (handle == nullptr) Fail(kModuleNotFound, module, nullptr);
    // Past the table's capacity a module is simply not recorded: it stays
    // loaded until the process ends, and nothing is written beyond the table.
    if (g_loaded_modules.count < kLoadedModuleCapacity) {
      if (g_loaded_modules.count == 0) SetFinalShutdownRoutine(UnloadLibraries);
      g_loaded_modules.modules[g_loaded_modules.count++] = handle;
    }
  }

  void* address = nullptr;
  if (function[0] == '#') {
    // Ordinals are 1 to 65535; any other number names no function.
    bool exact = false;
    int32_t ordinal = ReadDecimal(function + 1, &exact);
    if (exact && ordinal >= 1 && ordinal <= 0xFFFF) {
      const char* by_ordinal = reinterpret_cast<const char*>(static_cast<uintptr_t>(ordinal));
      address = os.GetProcAddress(handle, by_ordinal);
    }
  } else {
    std::strncpy(g_message, function, kMessageBufferSize - 1);
    g_message[kMessageBufferSize - 1] = 0;
    char* at = std::strchr(g_message, '@');
    if (at != nullptr && at[1] == '@') *at = 0;
    address = os.GetProcAddress(handle, g_message);
  }
  if (address == nullptr) Fail(kFunctionNotFound, module, function);
  *slot = address;
  return address;
}

void UnloadLibraries() {
  const platform::Api& os = platform::Os();
  for (int i = 0; i < kLoadedModuleCapacity && g_loaded_modules.modules[i] != nullptr; ++i)
    os.FreeLibrary(g_loaded_modules.modules[i]);
}

namespace crt {
namespace {
constexpr char kModule[] = "msvcrt.dll";
}  // namespace

LazyFunction<size_t(const char*)> strlen = {
    kModule, "strlen", reinterpret_cast<BindingSlot>(&BindingStub<strlen, size_t, const char*>)};
LazyFunction<void*(size_t)> malloc = {
    kModule, "malloc", reinterpret_cast<BindingSlot>(&BindingStub<malloc, void*, size_t>)};
LazyFunction<void*(void*, int, size_t)> memset = {
    kModule, "memset",
    reinterpret_cast<BindingSlot>(&BindingStub<memset, void*, void*, int, size_t>)};
LazyFunction<void(void*)> free = {kModule, "free",
                                  reinterpret_cast<BindingSlot>(&BindingStub<free, void, void*>)};
}  // namespace crt

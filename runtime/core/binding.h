// Lazy binding of library functions: bound by module and function name on
// their first call, through a slot that then holds the function itself. Like
// every runtime header, it keeps all the operations the runtime defines,
// whether this program calls them or not. The launcher calls the crt
// functions; only their stubs call BindLibraryFunction, and the shutdown
// sequence runs UnloadLibraries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// Holds the address that calls go through: the binding stub, then the function.
using BindingSlot = void*;

inline constexpr int kLoadedModuleCapacity = 100;

// Modules the binder had to load, in load order; released at shutdown.
struct LoadedModuleTable {
  platform::HMODULE modules[kLoadedModuleCapacity];
  int32_t count;
};
extern LoadedModuleTable g_loaded_modules;

// Finds or loads `module`, resolves `function` ("name", "name@@suffix" or
// "#ordinal"), writes its address into `slot` and returns it. A failure shows
// a "DLL ERROR" box and ends the run.
void* BindLibraryFunction(const char* module, const char* function, BindingSlot* slot);

// Releases every module in g_loaded_modules, in load order.
void UnloadLibraries();

// A lazily bound function: calls go through `slot`, which starts out holding
// BindingStub for this function.
template <typename Signature>
struct LazyFunction;

template <typename R, typename... A>
struct LazyFunction<R(A...)> {
  const char* module;
  const char* name;
  BindingSlot slot;

  R operator()(A... args) const { return reinterpret_cast<R (*)(A...)>(slot)(args...); }
};

// First call of a lazily bound function: bind it, then go on into it with the
// caller's own arguments.
template <auto& Function, typename R, typename... A>
R BindingStub(A... args) {
  void* bound = BindLibraryFunction(Function.module, Function.name, &Function.slot);
  return reinterpret_cast<R (*)(A...)>(bound)(args...);
}

// The C library functions the program binds lazily (msvcrt.dll).
namespace crt {
extern LazyFunction<size_t(const char*)> strlen;
extern LazyFunction<void*(size_t)> malloc;
extern LazyFunction<void*(void*, int, size_t)> memset;
extern LazyFunction<void(void*)> free;
}  // namespace crt

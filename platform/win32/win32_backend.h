// The Windows backend: one forwarder per call of the seam, named after the
// Win32 function it calls, each in the win32/ file of its area; api.cpp makes
// the table. Our declarations come before windows.h, whose macros would
// otherwise rename some of them.
#pragma once

#include <string>

#include "platform/platform.h"
// clang-format off
#include <windows.h>
// clang-format on
#include <conio.h>
#include <oleauto.h>
#include <psapi.h>
#include <shlobj.h>
#include <shlwapi.h>

// psapi.h renames GetModuleInformation, a call of ours.
#undef GetModuleInformation

namespace platform::win32 {

#define ZV_DECLARE(result, name, parameters) result name parameters;
ZV_ALL_CALLS(ZV_DECLARE)
#undef ZV_DECLARE

static_assert(sizeof(WCHAR) == sizeof(wchar_t));
inline wchar_t* W(WCHAR* p) { return reinterpret_cast<wchar_t*>(p); }
inline const wchar_t* W(const WCHAR* p) { return reinterpret_cast<const wchar_t*>(p); }

// GBK bytes as UTF-16, for the calls that show text: whatever the system's
// code page, they show the program's characters.
inline std::wstring GbkToWide(const char* bytes, size_t count) {
  const auto length = static_cast<int>(count);
  int n = count > 0 ? ::MultiByteToWideChar(kCodePageGbk, 0, bytes, length, nullptr, 0) : 0;
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(kCodePageGbk, 0, bytes, length, wide.data(), n);
  return wide;
}

}  // namespace platform::win32

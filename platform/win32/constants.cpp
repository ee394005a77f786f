// The seam's Win32 constants are the system's: each is taken before
// windows.h defines its macro of the same name, then compared with it, so
// that a value typed wrong in platform.h cannot reach a Windows call.
#include "platform/platform.h"

// clang-format off
#define ZV_WIN32_CONSTANTS(X)                                                              \
  X(GENERIC_READ) X(GENERIC_WRITE) X(FILE_SHARE_READ) X(FILE_SHARE_WRITE) X(OPEN_EXISTING) \
  X(FILE_ATTRIBUTE_DIRECTORY) X(FILE_ATTRIBUTE_ARCHIVE) X(INVALID_FILE_SIZE)               \
  X(CSIDL_PROGRAMS) X(CSIDL_PERSONAL) X(CSIDL_FAVORITES) X(CSIDL_STARTUP)                  \
  X(CSIDL_STARTMENU) X(CSIDL_DESKTOPDIRECTORY) X(CSIDL_FONTS) X(CSIDL_APPDATA)             \
  X(CSIDL_INTERNET_CACHE) X(CSIDL_COMMON_APPDATA) X(CSIDL_WINDOWS) X(CSIDL_SYSTEM)         \
  X(FOREGROUND_INTENSITY) X(BACKGROUND_BLUE) X(BACKGROUND_GREEN) X(BACKGROUND_RED)         \
  X(BACKGROUND_INTENSITY) X(STD_INPUT_HANDLE) X(STD_OUTPUT_HANDLE) X(STD_ERROR_HANDLE)     \
  X(STARTF_USESHOWWINDOW) X(SW_HIDE) X(SW_SHOWMINIMIZED) X(SW_SHOWMAXIMIZED)               \
  X(SW_SHOWNOACTIVATE) X(SW_SHOW) X(SW_SHOWMINNOACTIVE) X(INFINITE) X(WAIT_OBJECT_0)       \
  X(WAIT_TIMEOUT) X(WAIT_FAILED) X(LCMAP_HALFWIDTH) X(WC_NO_BEST_FIT_CHARS)                \
  X(MB_ERR_INVALID_CHARS) X(HEAP_ZERO_MEMORY) X(MB_ICONERROR) X(IDOK)
// clang-format on

namespace {
#define ZV_SEAM(name) constexpr auto seam_##name = platform::name;
ZV_WIN32_CONSTANTS(ZV_SEAM)
#undef ZV_SEAM
constexpr auto seam_kCodePageUtf8 = platform::kCodePageUtf8;
constexpr auto seam_kLocaleChinesePrc = platform::kLocaleChinesePrc;
}  // namespace

// clang-format off
#include <windows.h>
// clang-format on
#include <shlobj.h>

#define ZV_SAME(name) static_assert(seam_##name == (name), #name);
ZV_WIN32_CONSTANTS(ZV_SAME)
#undef ZV_SAME
static_assert(seam_kCodePageUtf8 == CP_UTF8);
static_assert(seam_kLocaleChinesePrc ==
              MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT));

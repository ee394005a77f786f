// Windows backend: the clock, dates and delays.
#include "platform/win32/win32_backend.h"

namespace platform::win32 {

static_assert(sizeof(SYSTEMTIME) == sizeof(::SYSTEMTIME));

void GetLocalTime(SYSTEMTIME* time) { ::GetLocalTime(reinterpret_cast<::SYSTEMTIME*>(time)); }

BOOL VariantTimeToSystemTime(double variant_time, SYSTEMTIME* time) {
  return ::VariantTimeToSystemTime(variant_time, reinterpret_cast<::SYSTEMTIME*>(time));
}

void Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform::win32

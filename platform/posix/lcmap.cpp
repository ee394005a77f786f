// Linux backend: LCMapStringA (filled in with the conversions).
#include "platform/posix/posix_backend.h"

namespace platform::posix {

int LCMapStringA(DWORD, DWORD, const char*, int, char*, int) { return 0; }

}  // namespace platform::posix

// Windows backend: the table of the forwarders in this folder.
#include "platform/win32/win32_backend.h"

namespace platform {

#define ZV_BACKEND win32
ZV_DEFINE_NATIVE_API

}  // namespace platform

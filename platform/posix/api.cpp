// Linux backend: the table of the functions in this folder.
#include "platform/posix/posix_backend.h"

namespace platform {

#define ZV_BACKEND posix
ZV_DEFINE_NATIVE_API

}  // namespace platform

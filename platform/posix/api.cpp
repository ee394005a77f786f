// Linux backend: the table of the functions in this folder.
#include "platform/posix/posix_backend.h"

namespace platform {
namespace {

const Api kNative = {
#define ZV_ENTRY(result, name, parameters) .name = posix::name,
    ZV_ALL_CALLS(ZV_ENTRY)
#undef ZV_ENTRY
};

}  // namespace

const Api& NativeApi() { return kNative; }

const char kPathSeparator[2] = "/";
const char kDefaultBrowserPath[] = "/usr/bin/google-chrome";
const char kTempFolderVariable[] = "TMPDIR";
const bool kRunsBatchFiles = false;

}  // namespace platform

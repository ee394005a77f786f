// Windows backend: the table of the forwarders in this folder.
#include "platform/win32/win32_backend.h"

namespace platform {
namespace {

const Api kNative = {
#define ZV_ENTRY(result, name, parameters) .name = win32::name,
    ZV_ALL_CALLS(ZV_ENTRY)
#undef ZV_ENTRY
};

}  // namespace

const Api& NativeApi() { return kNative; }

const char kPathSeparator[2] = "\\";
const char kDefaultBrowserPath[] = "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe";
const char kTempFolderVariable[] = "TEMP";
const bool kRunsBatchFiles = true;

}  // namespace platform

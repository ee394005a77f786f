#include "platform/platform.h"

namespace platform {
namespace {
const Api* g_installed = nullptr;
}  // namespace

const Api& Os() { return g_installed != nullptr ? *g_installed : NativeApi(); }

ScopedApi::ScopedApi(const Api& api) : previous_(g_installed) { g_installed = &api; }

ScopedApi::~ScopedApi() { g_installed = previous_; }

}  // namespace platform

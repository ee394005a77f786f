// Stands in for the browser in end-to-end runs: appends the time and its
// command line exactly as it received it to the file named by ZV_BROWSER_LOG.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

int main() {
  const char* log = std::getenv("ZV_BROWSER_LOG");
  if (log == nullptr) return 2;
  std::FILE* out = std::fopen(log, "ab");
  if (out == nullptr) return 3;
  auto now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch());
  std::fprintf(out, "%.3f\n%s\n---\n", now.count(), platform::NativeApi().GetCommandLineA());
  return std::fclose(out) == 0 ? 0 : 4;
}

// Terminal (UTF-8) text toward GBK: never longer than its input, ASCII as it
// is, and what it gives shows on the terminal as the input where GBK has
// every character of it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/terminal_text.h"
#include "platform/testing/fuzz_check.h"

namespace {

using platform::posix::GbkToTerminal;
using platform::posix::TerminalToGbk;

std::string Shown(const std::string& gbk) { return GbkToTerminal::Whole(gbk.data(), gbk.size()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("LC_ALL", "C.UTF-8", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string typed(reinterpret_cast<const char*>(data), size);
  std::string gbk = TerminalToGbk(typed.data(), typed.size());
  FUZZ_CHECK(gbk.size() <= typed.size());
  bool ascii = true;
  for (unsigned char c : typed) ascii = ascii && c < 0x80;
  if (ascii) FUZZ_CHECK(gbk == typed);
  // Without replacements the text shows exactly as typed; with them, the
  // GBK text is stable through the terminal and back.
  std::string shown = Shown(gbk);
  if (gbk.find('?') == std::string::npos && typed.find('?') == std::string::npos)
    FUZZ_CHECK(shown == typed);
  FUZZ_CHECK(TerminalToGbk(shown.data(), shown.size()) == gbk);
  return 0;
}

// GBK toward a UTF-8 terminal: cutting the input anywhere between calls gives
// what one call gives, the output is well-formed UTF-8, and it converts back
// to GBK and forth again unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/terminal_text.h"
#include "platform/testing/fuzz_check.h"

namespace {

using platform::posix::GbkToTerminal;
using platform::posix::TerminalToGbk;

bool WellFormedUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80             ? 1
               : (c & 0xE0) == 0xC0 ? 2
               : (c & 0xF0) == 0xE0 ? 3
               : (c & 0xF8) == 0xF0 ? 4
                                    : 0;
    if (n == 0 || n > text.size() - i) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

std::string Whole(const std::string& gbk) { return GbkToTerminal::Whole(gbk.data(), gbk.size()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The terminal's character set comes from the locale: UTF-8 here.
  setenv("LC_ALL", "C.UTF-8", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // Cut points first (a length each, 0 to 4 bytes), then the text.
  std::string cuts = input.ConsumeRandomLengthString(16);
  std::string gbk = input.ConsumeRemainingBytesAsString();

  std::string whole = Whole(gbk);
  GbkToTerminal converter;
  std::string chunked;
  size_t at = 0;
  for (size_t k = 0; at < gbk.size(); ++k) {
    size_t n = k < cuts.size() ? static_cast<unsigned char>(cuts[k]) % 5 : gbk.size() - at;
    if (n > gbk.size() - at) n = gbk.size() - at;
    chunked += converter.Convert(gbk.data() + at, n);
    at += n;
  }
  chunked += converter.Flush();
  FUZZ_CHECK(chunked == whole);
  FUZZ_CHECK(WellFormedUtf8(whole));
  FUZZ_CHECK(whole.size() <= 3 * gbk.size());
  // Plain ASCII passes as it is.
  bool ascii = true;
  for (unsigned char c : gbk) ascii = ascii && c < 0x80;
  if (ascii) FUZZ_CHECK(whole == gbk);
  // What the terminal shows, typed back, is GBK that shows the same.
  std::string back = TerminalToGbk(whole.data(), whole.size());
  FUZZ_CHECK(Whole(back) == whole);
  return 0;
}

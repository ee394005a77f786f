// GBK shown on a UTF-8 terminal, and text typed there. Output cut anywhere between calls shows
// as in one call; ASCII passes unchanged both ways; each direction gives back what the other
// took (so what is shown is well-formed: anything else would come back as "?").
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/gbk.h"
#include "platform/posix/terminal_text.h"
#include "testing/fuzz_check.h"

// The terminal's character set comes from the locale: UTF-8 here.
[[maybe_unused]] static const int kUtf8 = setenv("LC_ALL", "C.UTF-8", 1);

static std::string Shown(const std::string& gbk) {
  return platform::posix::GbkToTerminal::Whole(gbk.data(), gbk.size());
}
static std::string Typed(const std::string& s) {
  return platform::posix::TerminalToGbk(s.data(), s.size());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
  // As GBK, in sixteen pieces of 0 to 4 bytes (lengths from the input), then the rest.
  std::string shown = Shown(bytes), chunked;
  platform::posix::GbkToTerminal converter;
  for (size_t at = 0, k = 0, n = 0; at < size; ++k, at += n) {
    n = std::min(k < 16 ? data[k % size] % 5 : size, size - at);
    chunked += converter.Convert(bytes.data() + at, n);
  }
  FUZZ_CHECK(platform::posix::TerminalIsUtf8());  // whatever the spelling of its name
  FUZZ_CHECK(chunked + converter.Flush() == shown && shown.size() <= 3 * size);
  FUZZ_CHECK(Shown(Typed(shown)) == shown && (!ascii || shown == bytes));
  size_t characters = 0;  // each GBK character, as Windows reads them, shows as one
  for (size_t at = 0; at < size; at += platform::gbk::CharLength(data + at, size - at))
    ++characters;
  FUZZ_CHECK(std::count_if(shown.begin(), shown.end(), [](char c) { return (c & 0xC0) != 0x80; }) ==
             static_cast<std::ptrdiff_t>(characters));
  // As typed: GBK that shows as typed where GBK has every character ("?"
  // stands for one it lacks), and that comes back through the terminal.
  std::string gbk = Typed(bytes);
  FUZZ_CHECK(gbk.size() <= size && Typed(Shown(gbk)) == gbk && (!ascii || gbk == bytes));
  if (gbk.find('?') == std::string::npos && bytes.find('?') == std::string::npos)
    FUZZ_CHECK(Shown(gbk) == bytes);
  return 0;
}

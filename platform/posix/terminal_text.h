// GBK text toward and from the terminal's character set (the locale's).
#pragma once

#include <cstddef>
#include <string>

namespace platform::posix {

// Character set of the terminal, from the environment's locale; the plain C
// locale is taken as UTF-8, which is what terminals speak today.
const char* TerminalCodeset();

// True when the terminal's character set is GBK itself (nothing to convert),
// or UTF-8.
bool TerminalIsGbk();
bool TerminalIsUtf8();

// Converts GBK to the terminal's character set, reading it as Windows does
// (platform/gbk.h). A double-byte character cut at the end of one call is kept
// and completed by the next. A pair without a character becomes "?", as does
// a character the terminal's character set lacks.
class GbkToTerminal {
 public:
  std::string Convert(const char* bytes, size_t length);
  // What is still held back (a lone lead byte), as "?".
  std::string Flush();
  // A whole text at once: Convert, then Flush.
  static std::string Whole(const char* bytes, size_t length);

 private:
  bool has_pending_ = false;
  char pending_ = 0;
};

// Converts text in the terminal's character set to GBK; characters that GBK
// lacks, and malformed input, become "?" (the code page's default character).
std::string TerminalToGbk(const char* bytes, size_t length);

}  // namespace platform::posix

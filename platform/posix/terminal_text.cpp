// Linux backend: GBK text toward and from the terminal's character set.
#include <langinfo.h>
#include <locale.h>

#include <strings.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/converter.h"
#include "platform/posix/terminal_text.h"

namespace platform::posix {
namespace {

// The locale name the C library takes for LC_CTYPE: the first of LC_ALL,
// LC_CTYPE and LANG that is set and not empty.
const char* CtypeLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != 0) return value;
  }
  return "";
}

// A character set's name is UTF-8's in any spelling ("UTF-8", "utf8").
bool IsUtf8Name(const char* name) {
  std::string codeset;
  for (const char* p = name; *p != 0 && *p != '@'; ++p) {
    char c = *p;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) codeset.push_back(c);
  }
  return codeset == "utf8";
}

// True when a locale name gives UTF-8 as its character set, in any spelling
// the C library accepts ("zh_CN.UTF-8", "C.utf8"): letters compared without
// case, other signs ignored, up to the modifier ("@...").
bool NamesUtf8(const char* locale) {
  const char* dot = std::strchr(locale, '.');
  return dot != nullptr && IsUtf8Name(dot + 1);
}

}  // namespace

const char* TerminalCodeset() {
  static std::string codeset = [] {
    std::string name = "UTF-8";
    // A locale named for UTF-8 is UTF-8, and one that is missing counts as
    // UTF-8 too: its data is not loaded only to read that back.
    if (NamesUtf8(CtypeLocaleName())) return name;
    locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (loc != static_cast<locale_t>(0)) {
      name = nl_langinfo_l(CODESET, loc);
      freelocale(loc);
    }
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII") name = "UTF-8";
    return name;
  }();
  return codeset.c_str();
}

bool TerminalIsUtf8() { return IsUtf8Name(TerminalCodeset()); }

bool TerminalIsGbk() {
  const char* cs = TerminalCodeset();
  return strcasecmp(cs, "GBK") == 0 || strcasecmp(cs, "CP936") == 0;
}

size_t GbkCharLength(const unsigned char* bytes, size_t available) {
  if (bytes[0] >= 0x81 && bytes[0] <= 0xFE && available >= 2) return 2;
  return 1;
}

std::string GbkToTerminal::Convert(const char* bytes, size_t length) {
  std::string input;
  if (has_pending_) {
    input.push_back(pending_);
    has_pending_ = false;
  }
  input.append(bytes, length);
  if (TerminalIsGbk()) return input;
  static Converter cd(TerminalCodeset(), "CP936");
  std::string out;
  if (!cd.Valid()) return input;
  auto replace = [](const unsigned char* p, size_t left, std::string& o) {
    o.push_back('?');
    return UnconvertedGbkLength(p, left);
  };
  size_t rest = cd.Run(input.data(), input.size(), out, replace);
  if (rest > 0) {
    // Only a lone lead byte can be incomplete in GBK: keep it for the next call.
    pending_ = input[input.size() - rest];
    has_pending_ = true;
    for (size_t i = 1; i < rest; ++i) out.push_back('?');
  }
  return out;
}

std::string GbkToTerminal::Whole(const char* bytes, size_t length) {
  GbkToTerminal converter;
  std::string out = converter.Convert(bytes, length);
  return out + converter.Flush();
}

std::string GbkToTerminal::Flush() {
  if (!has_pending_) return {};
  has_pending_ = false;
  return "?";
}

std::string TerminalToGbk(const char* bytes, size_t length) {
  const bool utf8 = TerminalIsUtf8();
  if (TerminalIsGbk() || (utf8 && IsAscii(bytes, length))) return std::string(bytes, length);
  static Converter cd("CP936", TerminalCodeset());
  if (!cd.Valid()) return std::string(bytes, length);
  std::string out;
  auto replace = [utf8](const unsigned char* p, size_t left, std::string& o) {
    o.push_back('?');
    return utf8 ? Utf8SequenceLength(p, left) : size_t{1};
  };
  size_t rest = cd.Run(bytes, length, out, replace);
  if (rest > 0) out.push_back('?');
  return out;
}

}  // namespace platform::posix

// Linux backend: GBK text toward and from the terminal's character set.
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gbk.h"
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

// A character set's name in one spelling ("UTF-8", "utf8": "utf8"): letters
// without case, other signs left out, up to a modifier ("@..."). Compared
// without the C library's case tables, which the start-up would load for it.
std::string Spelling(const char* name) {
  std::string codeset;
  for (const char* p = name; *p != 0 && *p != '@'; ++p) {
    char c = *p;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) codeset.push_back(c);
  }
  return codeset;
}

// True when a locale name gives UTF-8 as its character set, in any spelling
// the C library accepts ("zh_CN.UTF-8", "C.utf8"): letters compared without
// case, other signs ignored, up to the modifier ("@...").
bool NamesUtf8(const char* locale) {
  const char* dot = std::strchr(locale, '.');
  return dot != nullptr && Spelling(dot + 1) == "utf8";
}

// UTF-8 to GBK through the table: "?" for each malformed sequence and each
// character GBK lacks (no look-alikes: what is typed reads back as typed).
std::string Utf8ToGbk(const unsigned char* bytes, size_t length) {
  std::string out;
  for (size_t at = 0, n = 0; at < length; at += n) {
    const char32_t c = ReadUtf8(bytes + at, length - at, &n);
    unsigned char gbk[2];
    const size_t written = c <= 0xFFFF ? gbk::FromUnicode(static_cast<char16_t>(c), false, gbk) : 0;
    if (written == 0) out.push_back('?');
    out.append(reinterpret_cast<const char*>(gbk), written);
  }
  return out;
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

bool TerminalIsUtf8() { return Spelling(TerminalCodeset()) == "utf8"; }

bool TerminalIsGbk() {
  const std::string codeset = Spelling(TerminalCodeset());
  return codeset == "gbk" || codeset == "cp936";
}

// GBK goes to UTF-8 through the table, and on to another character set
// through iconv.
std::string GbkToTerminal::Convert(const char* bytes, size_t length) {
  std::string input;
  if (has_pending_) {
    input.push_back(pending_);
    has_pending_ = false;
  }
  input.append(bytes, length);
  if (TerminalIsGbk()) return input;
  const auto* p = reinterpret_cast<const unsigned char*>(input.data());
  std::string utf8;
  utf8.reserve(input.size() * 3 / 2 + 3);  // ASCII stays 1 byte, a GBK pair becomes 3
  for (size_t at = 0, n = 0; at < input.size(); at += n) {
    n = gbk::CharLength(p + at, input.size() - at);
    if (at + 1 == input.size() && gbk::IsLeadByte(p[at])) {
      pending_ = input[at];  // the byte after it comes with the next call
      has_pending_ = true;
      break;
    }
    AppendUtf8(utf8, gbk::ToUnicode(p + at, n));
  }
  if (TerminalIsUtf8()) return utf8;
  static Converter cd(TerminalCodeset(), "UTF-8");
  if (!cd.Valid()) return utf8;
  std::string out;
  cd.Run(utf8.data(), utf8.size(), out, [](const unsigned char* c, size_t, std::string& o) {
    o.push_back('?');
    return Utf8Length(*c);
  });
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
  if (TerminalIsGbk()) return std::string(bytes, length);
  if (TerminalIsUtf8()) return Utf8ToGbk(reinterpret_cast<const unsigned char*>(bytes), length);
  static Converter cd("UTF-8", TerminalCodeset());
  if (!cd.Valid()) return std::string(bytes, length);
  std::string utf8;
  size_t rest = cd.Run(bytes, length, utf8, [](const unsigned char*, size_t, std::string& o) {
    o.push_back('?');
    return size_t{1};
  });
  if (rest > 0) utf8.push_back('?');
  return Utf8ToGbk(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size());
}

}  // namespace platform::posix

// Linux backend: code page 936 (GBK) and UTF-8 through glibc's iconv.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <strings.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/converter.h"
#include "platform/posix/posix_backend.h"
#include "platform/posix/terminal_text.h"

namespace platform::posix {
namespace {

constexpr UINT kCodePageAnsi = 0;

void AppendUtf16(std::string& out, char16_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>(unit >> 8));
}

bool SupportedCodePage(UINT cp) {
  return cp == kCodePageGbk || cp == kCodePageAnsi || cp == kCodePageUtf8;
}

Converter& ToUtf16(UINT cp) {
  static Converter gbk("UTF-16LE", "CP936");
  static Converter utf8("UTF-16LE", "UTF-8");
  return cp == kCodePageUtf8 ? utf8 : gbk;
}

Converter& FromUtf16(UINT cp) {
  static Converter gbk("CP936", "UTF-16LE");
  static Converter utf8("UTF-8", "UTF-16LE");
  return cp == kCodePageUtf8 ? utf8 : gbk;
}

// Copies a converted result out as Windows does: a size query when the buffer
// is empty, failure when it is too small.
template <typename Unit>
int Deliver(const std::string& bytes, Unit* out, int out_count) {
  size_t units = bytes.size() / sizeof(Unit);
  if (units > 0x7FFFFFFF) return 0;
  if (out_count == 0) return static_cast<int>(units);
  if (out == nullptr || out_count < 0 || units > static_cast<size_t>(out_count)) return 0;
  std::memcpy(out, bytes.data(), units * sizeof(Unit));
  return static_cast<int>(units);
}

}  // namespace

size_t Utf8Length(unsigned char lead) {
  return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

size_t Utf8SequenceLength(const unsigned char* p, size_t available) {
  size_t n = Utf8Length(p[0]);
  if (n > available) n = available;
  for (size_t i = 1; i < n; ++i)
    if ((p[i] & 0xC0) != 0x80) return i;
  return n;
}

// Bytes taken by a GBK sequence that does not convert: a lead byte and a
// byte in the trail range are one character (one GBK lacks), as Windows reads
// them; anything else is one byte. The next character starts after them.
size_t UnconvertedGbkLength(const unsigned char* p, size_t left) {
  return GbkCharLength(p, left) == 2 && p[1] >= 0x40 && p[1] != 0x7F && p[1] != 0xFF ? 2 : 1;
}

int MultiByteToWideChar(UINT code_page, DWORD, const char* bytes, int byte_count, WCHAR* wide,
                        int wide_count) {
  if (!SupportedCodePage(code_page) || bytes == nullptr || byte_count == 0 || byte_count < -1)
    return 0;
  size_t length = byte_count == -1 ? std::strlen(bytes) + 1 : static_cast<size_t>(byte_count);
  std::string units;
  if (IsAscii(bytes, length)) {
    for (size_t i = 0; i < length; ++i) AppendUtf16(units, static_cast<unsigned char>(bytes[i]));
    return Deliver(units, wide, wide_count);
  }
  Converter& cd = ToUtf16(code_page);
  if (!cd.Valid()) return 0;
  // Like Windows: malformed UTF-8 becomes U+FFFD, which no code page names,
  // so that a bad name cannot pass for another after a round trip.
  const char16_t stand_in = code_page == kCodePageUtf8 ? u'\xFFFD' : u'?';
  auto replace = [code_page, stand_in](const unsigned char* p, size_t left, std::string& out) {
    AppendUtf16(out, stand_in);
    if (code_page == kCodePageUtf8) return Utf8SequenceLength(p, left);
    return UnconvertedGbkLength(p, left);
  };
  size_t rest = cd.Run(bytes, length, units, replace);
  for (size_t i = 0; i < rest; ++i) AppendUtf16(units, stand_in);  // a character cut at the end
  return Deliver(units, wide, wide_count);
}

int WideCharToMultiByte(UINT code_page, DWORD, const WCHAR* wide, int wide_count, char* bytes,
                        int byte_count, const char* default_char, BOOL* used_default) {
  if (!SupportedCodePage(code_page) || wide == nullptr || wide_count == 0 || wide_count < -1)
    return 0;
  size_t units =
      wide_count == -1 ? static_cast<size_t>(lstrlenW(wide)) + 1 : static_cast<size_t>(wide_count);
  std::string out;
  if (IsAscii(wide, units)) {
    for (size_t i = 0; i < units; ++i) out.push_back(static_cast<char>(wide[i]));
    if (used_default != nullptr) *used_default = kFalse;
    return Deliver(out, bytes, byte_count);
  }
  Converter& cd = FromUtf16(code_page);
  if (!cd.Valid()) return 0;
  bool defaulted = false;
  const char fallback = default_char != nullptr ? *default_char : '?';
  // Like Windows, each UTF-16 unit the code page lacks, either half of a
  // surrogate pair included, becomes one default character.
  auto replace = [&](const unsigned char*, size_t left, std::string& o) {
    o.push_back(fallback);
    defaulted = true;
    return left >= 2 ? size_t{2} : left;
  };
  size_t rest = cd.Run(reinterpret_cast<const char*>(wide), units * 2, out, replace);
  if (rest > 0) {  // a lone high surrogate at the end
    out.push_back(fallback);
    defaulted = true;
  }
  if (used_default != nullptr) *used_default = defaulted ? kTrue : kFalse;
  return Deliver(out, bytes, byte_count);
}

int lstrlenW(const WCHAR* text) {
  if (text == nullptr) return 0;
  int n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace platform::posix

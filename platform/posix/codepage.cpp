// Linux backend: code page 936 (GBK), through its generated table, and UTF-8,
// to and from UTF-16 as Windows converts them. No converter is loaded.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gbk.h"
#include "platform/posix/converter.h"
#include "platform/posix/posix_backend.h"

namespace platform::posix {
namespace {

constexpr UINT kCodePageAnsi = 0;  // the system's: 936 here
constexpr char16_t kReplacement = u'\xFFFD';

bool SupportedCodePage(UINT cp) {
  return cp == kCodePageGbk || cp == kCodePageAnsi || cp == kCodePageUtf8;
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Copies a converted result out as Windows does: a size query when the buffer
// is empty, failure when it is too small.
template <typename Unit>
int Deliver(const std::basic_string<Unit>& units, Unit* out, int out_count) {
  if (units.size() > 0x7FFFFFFF) return 0;
  if (out_count == 0) return static_cast<int>(units.size());
  if (out == nullptr || out_count < 0 || units.size() > static_cast<size_t>(out_count)) return 0;
  std::copy(units.begin(), units.end(), out);
  return static_cast<int>(units.size());
}

}  // namespace

size_t Utf8Length(unsigned char lead) {
  return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

char32_t ReadUtf8(const unsigned char* bytes, size_t available, size_t* length) {
  const unsigned char lead = bytes[0];
  *length = 1;
  if (lead < 0x80) return lead;
  const size_t follow = lead < 0xC2 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF5 ? 3 : 0;
  char32_t c = lead & (0x3FU >> follow);
  for (size_t k = 1; k <= follow; ++k) {
    if (k >= available || (bytes[k] & 0xC0) != 0x80) return kNoCharacter;
    c = (c << 6) | (bytes[k] & 0x3FU);
    if (follow == 3 && k == 2 && c >= 0x110000 >> 6) return kNoCharacter;  // beyond U+10FFFF
    *length = k + 1;
    // Overlong forms and surrogates show in the first byte that follows.
    if (k == 1 && (follow == 3 ? c < 0x10 : follow == 2 && (c < 0x20 || IsSurrogate(c << 6))))
      return kNoCharacter;
  }
  return follow == 0 ? kNoCharacter : c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
    return;
  }
  static constexpr unsigned char kLeads[] = {0, 0xC0, 0xE0, 0xF0};
  const int follow = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
  out.push_back(static_cast<char>(kLeads[follow] | (c >> (6 * follow))));
  for (int k = follow - 1; k >= 0; --k)
    out.push_back(static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F)));
}

int MultiByteToWideChar(UINT code_page, DWORD, const char* bytes, int byte_count, WCHAR* wide,
                        int wide_count) {
  if (!SupportedCodePage(code_page) || bytes == nullptr || byte_count == 0 || byte_count < -1)
    return 0;
  const size_t length = byte_count == -1 ? std::strlen(bytes) + 1 : static_cast<size_t>(byte_count);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  std::u16string units;
  units.reserve(length);
  for (size_t at = 0, n = 0; at < length; at += n) {
    if (code_page != kCodePageUtf8) {
      n = gbk::CharLength(p + at, length - at);
      units.push_back(gbk::ToUnicode(p + at, n));
      continue;
    }
    // Malformed UTF-8 becomes U+FFFD, which no code page names, so that a bad
    // name cannot pass for another after a round trip.
    const char32_t c = ReadUtf8(p + at, length - at, &n);
    if (c == kNoCharacter) {
      units.push_back(kReplacement);
    } else if (c > 0xFFFF) {
      units.push_back(static_cast<char16_t>(0xD7C0 + (c >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
  }
  return Deliver(units, wide, wide_count);
}

int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide, int wide_count, char* bytes,
                        int byte_count, const char* default_char, BOOL* used_default) {
  if (!SupportedCodePage(code_page) || wide == nullptr || wide_count == 0 || wide_count < -1)
    return 0;
  const size_t units =
      wide_count == -1 ? static_cast<size_t>(lstrlenW(wide)) + 1 : static_cast<size_t>(wide_count);
  std::string out;
  out.reserve(units * 2);
  bool defaulted = false;
  for (size_t i = 0; i < units; ++i) {
    const char16_t unit = wide[i];
    if (code_page == kCodePageUtf8) {
      // A surrogate pair is one character; a lone half of one is U+FFFD.
      const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units &&
                        wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
      if (pair) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800U) << 10) + (wide[++i] - 0xDC00U));
      } else {
        defaulted = defaulted || IsSurrogate(unit);
        AppendUtf8(out, IsSurrogate(unit) ? kReplacement : unit);
      }
      continue;
    }
    // Each unit code page 936 lacks, either half of a surrogate pair
    // included, becomes one default character.
    unsigned char gbk[2];
    const size_t n = gbk::FromUnicode(unit, (flags & WC_NO_BEST_FIT_CHARS) == 0, gbk);
    if (n == 0) {
      out.push_back(default_char != nullptr ? *default_char : '?');
      defaulted = true;
    }
    out.append(reinterpret_cast<const char*>(gbk), n);
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

// Linux backend of the code pages: code page 936 (GBK), through its generated
// table, and UTF-8, to and from UTF-16 as Windows converts them (no converter
// is loaded); and LCMapStringA with LCMAP_HALFWIDTH for the code-page-936
// locales, as Windows does it: GBK to UTF-16, each full-width or wide form to
// its half-width form, and back to GBK. A half-width form that GBK lacks comes
// back as the code page's default character "?".
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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

int MultiByteToWideChar(UINT code_page, DWORD flags, const char* bytes, int byte_count, WCHAR* wide,
                        int wide_count) {
  // UTF-8 takes no flag but MB_ERR_INVALID_CHARS, as on Windows.
  if (!SupportedCodePage(code_page) || bytes == nullptr || byte_count == 0 || byte_count < -1 ||
      (code_page == kCodePageUtf8 && (flags & ~MB_ERR_INVALID_CHARS) != 0))
    return 0;
  const size_t length = byte_count == -1 ? std::strlen(bytes) + 1 : static_cast<size_t>(byte_count);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  std::u16string units;
  for (size_t at = 0, n = 0; at < length; at += n) {
    if (code_page != kCodePageUtf8) {
      n = gbk::CharLength(p + at, length - at);
      units.push_back(gbk::ToUnicode(p + at, n));
      continue;
    }
    // Malformed UTF-8 becomes U+FFFD, which no code page names, so that a bad
    // name cannot pass for another after a round trip; or fails, when asked.
    const char32_t c = ReadUtf8(p + at, length - at, &n);
    if (c == kNoCharacter) {
      if ((flags & MB_ERR_INVALID_CHARS) != 0) return 0;
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
  // A flag it does not know is refused, as Windows does.
  if (!SupportedCodePage(code_page) || wide == nullptr || wide_count == 0 || wide_count < -1 ||
      (flags & ~WC_NO_BEST_FIT_CHARS) != 0)
    return 0;
  const size_t units =
      wide_count == -1 ? static_cast<size_t>(lstrlenW(wide)) + 1 : static_cast<size_t>(wide_count);
  std::string out;
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

// The half-width mapping.
namespace {

constexpr DWORD kLocaleUserDefault = 0x0400;
constexpr DWORD kLocaleSystemDefault = 0x0800;

// Katakana U+30A1..U+30FE have half-width forms, but for the few listed here,
// which stay as they are; a voiced or semi-voiced letter becomes its base
// letter followed by a half-width sound mark. Code page 936 has no half-width
// katakana, so which form a letter takes never shows: one stands for all.
constexpr char16_t kKatakanaWithoutForm[] = {0x30EE, 0x30F0, 0x30F1, 0x30F5,
                                             0x30F6, 0x30F8, 0x30F9, 0x30FD};
constexpr char16_t kHalfWidthLetter = 0xFF71;
constexpr char16_t kHalfWidthSoundMark = 0xFF9E;
constexpr char16_t kVoicedIterationMark = 0x30FE;  // the plain one (U+30FD) and a sound mark

bool HasSoundMark(char16_t c) {
  if (c == 0x30F4 || c == 0x30F7 || c == 0x30FA || c == kVoicedIterationMark) return true;
  if (c >= 0x30AC && c <= 0x30C2) return c % 2 == 0;
  if (c >= 0x30C5 && c <= 0x30C9) return c % 2 == 1;
  if (c >= 0x30CF && c <= 0x30DD) return (c - 0x30CF) % 3 != 0;
  return false;
}

struct UnitPair {
  char16_t from;
  char16_t to;
};

// Other characters with a half-width form. The narrow signs are given as
// Windows' best-fit conversion brings them back to code page 936: cent, pound
// and yen return to their wide forms (so they are not listed), the macron
// becomes U+02C9 and the broken bar "|"; not sign and won sign have no form in
// code page 936.
constexpr UnitPair kOtherForms[] = {
    {0x3000, 0x0020}, {0x2018, 0x0027}, {0x2019, 0x0027}, {0x201C, 0x0022}, {0x201D, 0x0022},
    {0x3001, 0xFF64}, {0x3002, 0xFF61}, {0x300C, 0xFF62}, {0x300D, 0xFF63}, {0x309B, 0xFF9E},
    {0x309C, 0xFF9F}, {0x2190, 0xFFE9}, {0x2191, 0xFFEA}, {0x2192, 0xFFEB}, {0x2193, 0xFFEC},
    {0x2502, 0xFFE8}, {0x25A0, 0xFFED}, {0x25CB, 0xFFEE}, {0xFFE2, 0x00AC}, {0xFFE3, 0x02C9},
    {0xFFE4, 0x007C}, {0xFFE6, 0x20A9},
};

// Whether c may be listed in kOtherForms: the units below 0x2018 and the long
// stretch between 0x309C and 0xFFE2 (the CJK ideographs among them) are not,
// and need no search.
constexpr bool MayHaveOtherForm(char16_t c) { return c >= 0x2018 && (c <= 0x309C || c >= 0xFFE2); }
static_assert([] {
  for (const UnitPair& form : kOtherForms)
    if (!MayHaveOtherForm(form.from)) return false;
  return true;
}());

// Appends the half-width form of one UTF-16 unit (one or two units).
void AppendHalfWidth(char16_t c, std::vector<WCHAR>& out) {
  if (c >= 0xFF01 && c <= 0xFF5E) {
    // Windows leaves the full-width reverse solidus as it is.
    out.push_back(c == 0xFF3C ? c : static_cast<char16_t>(c - 0xFF01 + 0x21));
    return;
  }
  if (c >= 0x30A1 && c <= 0x30FE &&
      std::find(std::begin(kKatakanaWithoutForm), std::end(kKatakanaWithoutForm), c) ==
          std::end(kKatakanaWithoutForm)) {
    out.push_back(c == kVoicedIterationMark ? char16_t{0x30FD} : kHalfWidthLetter);
    if (HasSoundMark(c)) out.push_back(kHalfWidthSoundMark);
    return;
  }
  if (!MayHaveOtherForm(c)) {
    out.push_back(c);
    return;
  }
  for (const UnitPair& form : kOtherForms) {
    if (form.from == c) {
      out.push_back(form.to);
      return;
    }
  }
  out.push_back(c);
}

}  // namespace

int LCMapStringA(DWORD locale, DWORD flags, const char* source, int source_length,
                 char* destination, int destination_length) {
  if (locale != kLocaleChinesePrc && locale != kLocaleUserDefault && locale != kLocaleSystemDefault)
    return 0;
  if (flags != LCMAP_HALFWIDTH) return 0;
  if (source == nullptr || source_length == 0 || source_length < -1) return 0;
  if (destination_length < 0 || (destination_length > 0 && destination == nullptr)) return 0;

  // Each conversion is made once into a buffer of the largest size it can
  // need: a GBK byte gives at most one UTF-16 unit, a unit at most two bytes.
  size_t bytes = source_length == -1 ? std::strlen(source) + 1 : static_cast<size_t>(source_length);
  if (bytes > INT32_MAX / 4) return 0;
  std::vector<WCHAR> wide(bytes);
  int units = MultiByteToWideChar(kCodePageGbk, 0, source, source_length, wide.data(),
                                  static_cast<int>(bytes));
  if (units <= 0) return 0;

  std::vector<WCHAR> half;
  for (int i = 0; i < units; ++i) AppendHalfWidth(wide[static_cast<size_t>(i)], half);

  std::vector<char> narrow(half.size() * 2);
  int needed =
      WideCharToMultiByte(kCodePageGbk, 0, half.data(), static_cast<int>(half.size()),
                          narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr);
  if (needed <= 0 || destination_length == 0) return needed;
  if (needed > destination_length) return 0;
  std::memcpy(destination, narrow.data(), static_cast<size_t>(needed));
  return needed;
}

}  // namespace platform::posix

// Linux backend: code page 936 (GBK) and UTF-8 through glibc's iconv.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <strings.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/posix_backend.h"
#include "platform/posix/terminal_text.h"

namespace platform::posix {
namespace {

constexpr UINT kCodePageAnsi = 0;

// One cached conversion descriptor per direction.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of [in, in + length). A sequence that cannot be converted is
  // passed to on_error, which appends a replacement and says how many input
  // bytes to skip. Returns the number of input bytes left unconverted because
  // they end in an incomplete character.
  //
  // The output buffer takes the whole result of up to 32 KiB of input: glibc
  // runs a chain of conversion steps over again whenever the output fills,
  // and a 1 KiB buffer made that cost several times the conversion itself.
  template <typename OnError>
  size_t Run(const char* in, size_t length, std::string& out, OnError on_error) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buffer(std::min<size_t>(2 * length + 16, kMaxBuffer));
    char* src = const_cast<char*>(in);
    size_t left = length;
    while (left > 0) {
      char* dst = buffer.data();
      size_t room = buffer.size();
      size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buffer.data(), static_cast<size_t>(dst - buffer.data()));
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) continue;
      if (errno == EINVAL) return left;  // incomplete character at the end
      size_t skip = on_error(reinterpret_cast<const unsigned char*>(src), left, out);
      src += skip;
      left -= skip;
    }
    return 0;
  }

 private:
  static constexpr size_t kMaxBuffer = 64 << 10;
  iconv_t cd_;
};

size_t Utf8SequenceLength(const unsigned char* p, size_t available) {
  size_t n = p[0] < 0xC0 ? 1 : p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : 4;
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

int MultiByteToWideChar(UINT code_page, DWORD, const char* bytes, int byte_count, WCHAR* wide,
                        int wide_count) {
  if (!SupportedCodePage(code_page) || bytes == nullptr || byte_count == 0 || byte_count < -1)
    return 0;
  size_t length = byte_count == -1 ? std::strlen(bytes) + 1 : static_cast<size_t>(byte_count);
  Converter& cd = ToUtf16(code_page);
  if (!cd.Valid()) return 0;
  std::string units;
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
  Converter& cd = FromUtf16(code_page);
  if (!cd.Valid()) return 0;
  std::string out;
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

// Terminal conversions.

const char* TerminalCodeset() {
  static std::string codeset = [] {
    std::string name = "UTF-8";
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
  if (TerminalIsGbk()) return std::string(bytes, length);
  static Converter cd("CP936", TerminalCodeset());
  if (!cd.Valid()) return std::string(bytes, length);
  std::string out;
  const bool utf8 = strcasecmp(TerminalCodeset(), "UTF-8") == 0;
  auto replace = [utf8](const unsigned char* p, size_t left, std::string& o) {
    o.push_back('?');
    return utf8 ? Utf8SequenceLength(p, left) : size_t{1};
  };
  size_t rest = cd.Run(bytes, length, out, replace);
  if (rest > 0) out.push_back('?');
  return out;
}

}  // namespace platform::posix

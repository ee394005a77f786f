// The character rules of UTF-8 and UTF-16 shared by the code-page calls and
// the terminal conversions of the Linux backend, and iconv for terminals in
// other character sets.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

namespace platform::posix {

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

// Bytes of the UTF-8 sequence a lead byte starts (1 to 4).
size_t Utf8Length(unsigned char lead);

// What ReadUtf8 gives for a malformed sequence.
inline constexpr char32_t kNoCharacter = 0xFFFFFFFF;

// The character of the UTF-8 sequence at `bytes` (`available` bytes there),
// read as Windows reads UTF-8; `*length` receives its bytes. A malformed
// sequence is kNoCharacter, as long as the part of it that could still have
// begun a character (at least one byte): a lead byte that cannot start one,
// an overlong form, a surrogate, a character beyond U+10FFFF, one cut short.
char32_t ReadUtf8(const unsigned char* bytes, size_t available, size_t* length);

// Appends the UTF-8 bytes of a character.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace platform::posix

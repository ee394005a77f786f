// The texts that come from outside, against models: path.txt (ToText of its Bytes, then
// TrimBlanks) and the count line (ToHalfWidth and ToInteger, with ReplaceAll beneath them).
// The input: the text, then what ReplaceAll looks for and puts in its place, NUL-separated.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/gbk.h"
#include "runtime/core/decimal.h"
#include "runtime/library/conversions.h"
#include "testing/fake_system.h"
#include "testing/fuzz_check.h"

using fake::Take;  // a lone NUL, which no text should be, comes back as no input would
static size_t CharLength(const std::string& s, size_t at) {
  return platform::gbk::CharLength(reinterpret_cast<const unsigned char*>(s.data()) + at,
                                   s.size() - at);
}
static int32_t Count(const std::string& s) { return CallLibrary(ToInteger, {TextSlot(s.c_str())}); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream pieces(std::string(reinterpret_cast<const char*>(data), size));
  std::string text, find = "\xA3\xAF", with = "/", replaced;  // by default as ToHalfWidth does
  std::getline(std::getline(std::getline(pieces, text, '\0'), find, '\0'), with, '\0');
  // Over the GBK characters: each `find` at a character boundary replaced.
  size_t matches = 0, first = text.size(), end = 0;
  for (size_t at = 0, n = 0; at < text.size(); at += n) {
    bool match = !find.empty() && text.compare(at, find.size(), find) == 0;
    n = match ? find.size() : CharLength(text, at);
    replaced += match ? with : text.substr(at, n);
    matches += match ? 1 : 0;
  }
  // And where the characters that are not blanks (space, full-width space) begin and end.
  for (size_t at = 0, n = 0; at < text.size(); at += n) {
    n = CharLength(text, at);
    if (text.compare(at, n, " ") != 0 && text.compare(at, n, "\xA1\xA1") != 0)
      first = std::min(first, at), end = at + n;
  }
  // path.txt in a block of its exact size, read up to its first NUL, trimmed.
  auto* block = static_cast<BytesHeader*>(std::malloc(sizeof(BytesHeader) + size));
  *block = {1, static_cast<int32_t>(size)};
  std::copy(data, data + size, reinterpret_cast<uint8_t*>(block + 1));
  FUZZ_CHECK(Take(CallLibrary(ToText, {BytesSlot(block)})) == text);
  std::free(block);
  std::string trimmed = first < end ? text.substr(first, end - first) : "";
  FUZZ_CHECK(Take(CallLibrary(TrimBlanks, {TextSlot(text.c_str())})) == trimmed);

  Text work = TextFromBuffer(text.data(), static_cast<int32_t>(text.size())), before = work;
  bool release_old = size % 2 == 1;
  bool done = ReplaceAll(&work, find.c_str(), with.c_str(), release_old);
  FUZZ_CHECK(done == (matches > 0) && done == (work != before));
  FUZZ_CHECK(TextOrEmpty(work) == (done ? replaced : text));
  if (done && !release_old) FreeBlock(before);
  FreeBlock(work);

  // The count line reads as atol reads its half-width text; the number is
  // exact where strtoll reads it within 32 bits.
  std::string half = Take(CallLibrary(ToHalfWidth, {TextSlot(text.c_str())}));
  int32_t number = Count(text);
  bool exact = false;
  ReadDecimal(half.c_str(), &exact);
  errno = 0;
  long long whole = std::strtoll(half.c_str(), nullptr, 10);
  bool in_range = errno == 0;
  FUZZ_CHECK(exact == (in_range && whole >= INT32_MIN && whole <= INT32_MAX));
  FUZZ_CHECK(!in_range || number == static_cast<int32_t>(whole));
  std::string wide;  // ASCII stays as it is; its digits, signs and spaces read alike full-width
  for (char c : text) {
    if ((c & 0x80) != 0) return 0;
    bool digit = (c >= '0' && c <= '9') || c == '+' || c == '-';
    std::string full = c == ' ' ? "\xA1\xA1" : std::string{'\xA3', static_cast<char>(c | 0x80)};
    wide += c == ' ' || digit ? full : std::string(1, c);
  }
  FUZZ_CHECK(half == text && Count(wide) == number);
  return 0;
}

// TrimBlanks against a model built on GBK characters: the text from its first
// to its last character that is neither a space nor the full-width space.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/testing/fuzz_check.h"
#include "runtime/library/conversions.h"

namespace {

// The characters of a GBK text: a byte of 0x80 or above takes the next one
// with it, when there is one.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size();) {
    size_t n = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

bool Blank(const std::string& c) { return c == " " || c == "\xA1\xA1"; }

std::string Trimmed(const std::string& text) {
  std::vector<std::string> chars = Characters(text);
  size_t first = 0;
  size_t end = chars.size();
  while (first < end && Blank(chars[first])) ++first;
  while (end > first && Blank(chars[end - 1])) --end;
  std::string out;
  for (size_t i = first; i < end; ++i) out += chars[i];
  return out;
}

std::string Trim(const std::string& text) {
  OwnedText result(CallLibrary(TrimBlanks, {TextSlot(text.c_str())}));
  // The empty result is null, never a block holding only the NUL.
  if (result.get() != nullptr) FUZZ_CHECK(result.get()[0] != 0);
  return result.get() != nullptr ? result.get() : "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));
  std::string trimmed = Trim(text);
  FUZZ_CHECK(trimmed == Trimmed(text));
  FUZZ_CHECK(Trim(trimmed) == trimmed);
  // Blanks in front never change the result.
  FUZZ_CHECK(Trim(" \xA1\xA1" + text) == trimmed);
  return 0;
}

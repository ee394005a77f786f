// ToInteger of texts, with ToHalfWidth and ReplaceAll beneath it: the number
// read is that of the half-width text, full-width digits and signs read like
// ASCII ones, and replacement happens only at character boundaries.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/testing/fuzz_check.h"
#include "runtime/core/memory.h"
#include "runtime/library/conversions.h"

namespace {

std::string HalfWidth(const std::string& text) {
  OwnedText half(CallLibrary(ToHalfWidth, {TextSlot(text.c_str())}));
  if (half.get() != nullptr) FUZZ_CHECK(half.get()[0] != 0);
  return half.get() != nullptr ? half.get() : "";
}

int32_t Integer(const std::string& text) {
  return CallLibrary(ToInteger, {TextSlot(text.c_str())});
}

// atol in the default locale, wrapping around in 32 bits.
int32_t Atol(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= 9 && text[i] <= 13))) ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10 + static_cast<uint32_t>(text[i] - '0');
  return static_cast<int32_t>(negative ? 0 - value : value);
}

bool Ascii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

// Digits, signs and spaces in their full-width GBK forms.
std::string Widened(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    if (c >= '0' && c <= '9')
      out += std::string("\xA3") + static_cast<char>(0xB0 + (c - '0'));
    else if (c == '+')
      out += "\xA3\xAB";
    else if (c == '-')
      out += "\xA3\xAD";
    else if (c == ' ')
      out += "\xA1\xA1";
    else
      out += c;
  }
  return out;
}

// Replacement at character boundaries, the model ReplaceAll must agree with.
std::string Replaced(const std::string& text, const std::string& find, const std::string& with,
                     size_t* matches) {
  std::string out;
  *matches = 0;
  for (size_t at = 0; at < text.size();) {
    if (text.compare(at, find.size(), find) == 0) {
      out += with;
      at += find.size();
      ++*matches;
    } else {
      size_t n = static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
      out += text.substr(at, n);
      at += n;
    }
  }
  return out;
}

void CheckReplaceAll(const std::string& text, const std::string& find, const std::string& with,
                     bool release_old) {
  Text work = TextFromBuffer(text.data(), static_cast<int32_t>(text.size()));
  Text before = work;
  bool replaced = ReplaceAll(&work, TextOrEmpty(find.empty() ? nullptr : find.c_str()),
                             with.c_str(), release_old);
  size_t matches = 0;
  std::string expected = find.empty() ? text : Replaced(text, find, with, &matches);
  FUZZ_CHECK(replaced == (matches > 0));
  if (!replaced) {
    FUZZ_CHECK(work == before);
    FreeBlock(work);
    return;
  }
  FUZZ_CHECK(work != before);
  FUZZ_CHECK(std::string(TextOrEmpty(work)) == expected);
  FreeBlock(work);
  if (!release_old) FreeBlock(before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  bool release_old = input.ConsumeBool();
  std::string find = input.ConsumeRandomLengthString(8);
  std::string with = input.ConsumeRandomLengthString(8);
  std::string text = input.ConsumeRemainingBytesAsString();
  for (std::string* s : {&find, &with, &text}) s->resize(std::strlen(s->c_str()));

  CheckReplaceAll(text, find, with, release_old);

  std::string half = HalfWidth(text);
  // The map buffer is one byte longer than the text: a voiced iteration mark
  // (A9 64) maps to two characters, three bytes, and two of them no longer
  // fit (the result is then empty).
  FUZZ_CHECK(half.size() <= text.size() + 1);
  // Mapping twice changes nothing. Not so with the bytes 0x80 and 0xFF,
  // single characters of code page 936 that ReplaceAll takes as the first
  // byte of a pair: a full-width reverse solidus they hide from the first
  // pass can stand at a character boundary in the second.
  if (text.find_first_of("\x80\xFF") == std::string::npos) FUZZ_CHECK(HalfWidth(half) == half);
  int32_t number = Integer(text);
  FUZZ_CHECK(number == Atol(half));
  FUZZ_CHECK(Integer(half) == number);
  if (Ascii(text)) {
    FUZZ_CHECK(half == text);
    FUZZ_CHECK(Integer(Widened(text)) == number);
  }
  return 0;
}

#include "platform/gbk.h"

#include <cstdint>

#include "platform/gbk_table.h"  // generated from platform/gbk_table.txt

namespace platform::gbk {
namespace {

// The GBK bytes of each UTF-16 unit (lead << 8 | trail, or one byte; 0 where
// none), made from the table when first needed: writing GBK comes after the
// prompt, and a table that is not in the program's read-only data costs
// nothing before (nor, in zero-filled memory, where it stays empty).
const uint16_t* Encodings() {
  static uint16_t codes[0x10000];
  static const bool made = [] {
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
        if (char16_t unit = gbk_table::kPairs[lead - 0x81][trail - 0x40]; unit != 0)
          codes[unit] = static_cast<uint16_t>(lead << 8 | trail);
    codes[gbk_table::kByte80] = 0x80;
    codes[gbk_table::kByteFF] = 0xFF;
    for (const auto& [unit, code] : gbk_table::kFits) codes[unit] = code;
    return true;
  }();
  (void)made;
  return codes;
}

}  // namespace

char16_t ToUnicode(const unsigned char* bytes, size_t length) {
  const unsigned char first = bytes[0];
  if (length == 2) {
    if (!IsLeadByte(first) || !IsTrailByte(bytes[1])) return u'?';
    const char16_t unit = gbk_table::kPairs[first - 0x81][bytes[1] - 0x40];
    return unit != 0 ? unit : u'?';
  }
  if (first < 0x80) return first;
  if (first == 0x80) return gbk_table::kByte80;
  if (first == 0xFF) return gbk_table::kByteFF;
  return u'?';  // a lead byte without a second byte
}

size_t FromUnicode(char16_t unit, bool best_fit, unsigned char* out) {
  if (unit < 0x80) {
    out[0] = static_cast<unsigned char>(unit);
    return 1;
  }
  const uint16_t code = Encodings()[unit];
  if (code == 0) return 0;
  const size_t length = code > 0xFF ? 2 : 1;
  out[0] = static_cast<unsigned char>(length == 2 ? code >> 8 : code);
  out[1] = static_cast<unsigned char>(code & 0xFF);
  // A look-alike reads back as another character.
  if (!best_fit && ToUnicode(out, length) != unit) return 0;
  return length;
}

}  // namespace platform::gbk

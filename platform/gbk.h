// Code page 936 (GBK) as Windows reads and writes it: the byte rules that
// every scan of GBK text follows, and the conversion of one character through
// the generated table.
#pragma once

#include <cstddef>

namespace platform::gbk {

// A lead byte, 0x81 to 0xFE, starts a character of two bytes. 0x80 and 0xFF
// do not: in Windows' code page 936 each is a character of one byte (the euro
// sign, and U+F8F5 of the private-use area), and a scan that took them for
// lead bytes would swallow the character after them.
constexpr bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// The bytes after a lead byte that can make a character: 0x40 to 0xFE but
// 0x7F. Another byte after a lead byte still belongs to it (see CharLength).
constexpr bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Bytes of the character at `bytes`, of which `available` are there. As
// Windows reads GBK, a lead byte and the byte after it, whatever it is but
// NUL, are one character (one without a mapping when it is not a trail byte:
// a stray lead byte takes even a CR or LF with it); anything else is one byte.
constexpr size_t CharLength(const unsigned char* bytes, size_t available) {
  return available >= 2 && IsLeadByte(bytes[0]) && bytes[1] != 0 ? 2 : 1;
}

// The UTF-16 unit of the character of `length` bytes (as CharLength counts
// them) at `bytes`; "?" when code page 936 has none for it.
char16_t ToUnicode(const unsigned char* bytes, size_t length);

// Writes the GBK bytes of a UTF-16 unit to `out` (room for 2) and returns how
// many (1 or 2); 0 when code page 936 has no such character. With `best_fit`,
// as Windows writes unless told not to, a character without a pair of its own
// may be written as a look-alike (U+00A2 as the full-width cent sign), which
// reads back as that other character.
size_t FromUnicode(char16_t unit, bool best_fit, unsigned char* out);

}  // namespace platform::gbk

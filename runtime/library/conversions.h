// Conversions between values and text. Like every runtime header, it keeps all
// the operations the runtime defines, whether this program calls them or not.
// The launcher calls ToText and ToHalfWidth; nothing in this program calls
// TrimBlanks or ToInteger. The helpers serve only runtime operations (ToText,
// ToHalfWidth, ConsoleWrite).
#pragma once

#include <cstdint>

#include "runtime/core/arguments.h"
#include "runtime/core/text.h"

// Size of the work buffer numbers and truth values are formatted in.
inline constexpr int kWorkBufferSize = 260;

// Library operations (argument records).
Text ToText(int32_t count, const ArgSlot* args);        // one value of any tag
Text TrimBlanks(int32_t count, const ArgSlot* args);    // one text
int32_t ToInteger(int32_t count, const ArgSlot* args);  // one value of any tag
Text ToHalfWidth(int32_t count, const ArgSlot* args);   // one text

// Helpers.
// Shortens a "%f" number text in place (2.500000 -> 2.5, 100.000000 -> 100).
void TrimFraction(char* number);
// The bytes of a Bytes or array block up to the first NUL, as a fresh text.
Text BytesToText(const void* block, int32_t element_size);
// Replaces every `find` at a character boundary; on true *text is a new text
// (the old one released when release_old is set).
bool ReplaceAll(Text* text, Text find, Text replacement, bool release_old);

// Formats a truth value or number slot into `buffer`: TAG_BOOL as 真/假;
// TAG_BYTE, TAG_SHORT, TAG_INT, TAG_SUBPTR as the slot's low 32 bits, signed,
// "%d"; TAG_INT64 "%I64d"; TAG_FLOAT and TAG_DOUBLE fixed point then
// TrimFraction. Returns the length, or -1 for any other tag. Shared by ToText
// (which narrows bytes and shorts first) and ConsoleWrite.
int32_t FormatValue(const ArgSlot& slot, char (&buffer)[kWorkBufferSize]);

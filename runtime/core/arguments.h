// The calling convention of library operations: argument slots, their type
// tags, and building and reading them. Like every runtime header, it keeps all
// the operations the runtime defines, whether this program calls them or not.
// The launcher builds slots, calls operations through CallLibrary and reads a
// text result with SlotPointer; the other readers, TagWidth and IsBasicTag
// serve only the library operations. ByteSlot and FloatSlot have no caller in
// this program.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/core/text.h"

// Type tags of argument records.
using TypeTag = uint32_t;
inline constexpr TypeTag TAG_OMITTED = 0;
inline constexpr TypeTag TAG_BOOL = 0x80000002;
inline constexpr TypeTag TAG_DATETIME = 0x80000003;
inline constexpr TypeTag TAG_TEXT = 0x80000004;
inline constexpr TypeTag TAG_BYTES = 0x80000005;
inline constexpr TypeTag TAG_SUBPTR = 0x80000006;
inline constexpr TypeTag TAG_BYTE = 0x80000101;
inline constexpr TypeTag TAG_SHORT = 0x80000201;
inline constexpr TypeTag TAG_INT = 0x80000301;
inline constexpr TypeTag TAG_INT64 = 0x80000401;
inline constexpr TypeTag TAG_FLOAT = 0x80000501;
inline constexpr TypeTag TAG_DOUBLE = 0x80000601;
inline constexpr TypeTag TAG_ARRAY = 0x20000000;
// Two more tags of the value-width rule (widths 0 and 8); nothing here makes them.
inline constexpr TypeTag TAG_RESERVED_EMPTY = 0x80000007;
inline constexpr TypeTag TAG_RESERVED_WIDE = 0x80000008;

// One argument of a library operation. A pointer fills both value halves
// (the program is 64-bit); narrower values leave the high half 0.
struct ArgSlot {
  uint32_t low;
  uint32_t high;
  TypeTag tag;
};

// Library operations take a count and that many slots, slot 1 first.
template <typename Result>
using LibraryOperation = Result (*)(int32_t count, const ArgSlot* slots);

template <typename Result>
Result CallLibrary(LibraryOperation<Result> operation, std::initializer_list<ArgSlot> slots) {
  return operation(static_cast<int32_t>(slots.size()), slots.begin());
}

// Building slots.
ArgSlot OmittedSlot();
ArgSlot BoolSlot(bool value);
ArgSlot ByteSlot(uint8_t value);
ArgSlot ShortSlot(int16_t value);
ArgSlot IntSlot(int32_t value);
ArgSlot Int64Slot(int64_t value);
ArgSlot FloatSlot(float value);
ArgSlot DoubleSlot(double value);
ArgSlot DateTimeSlot(double value);
ArgSlot TextSlot(Text text);     // never pass null: use EmptyText
ArgSlot BytesSlot(Bytes bytes);  // never pass null: use &EmptyBytes
ArgSlot PointerSlot(TypeTag tag, const void* address);

// Reading slots.
uint64_t SlotBits(const ArgSlot& slot);
int32_t SlotInt(const ArgSlot& slot);
double SlotDouble(const ArgSlot& slot);
const void* SlotPointer(const ArgSlot& slot);
inline bool SlotGiven(const ArgSlot& slot) { return slot.tag != TAG_OMITTED; }
// Slot `index` (0-based) of an argument list; an omitted slot past its end.
const ArgSlot& SlotAt(int32_t count, const ArgSlot* slots, int32_t index);

// Width in bytes of a value of the tag (the runtime's value-width rule).
uint32_t TagWidth(TypeTag tag);
// 0 is no value; bits 31-30 equal to 10 a basic type; anything else none.
bool IsBasicTag(TypeTag tag);

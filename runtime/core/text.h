// Text values, byte sequences and the argument records of library operations.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "runtime/core/memory.h"

// Reference to GBK bytes ending in a NUL: a heap block owned by one variable,
// or a literal of the program. Null is the empty text.
using Text = const char*;

// Header of an array block: dimension count, then the dimension sizes, then
// the elements. A byte sequence has one dimension: count 1, length, data.
struct BytesHeader {
  int32_t dimensions;
  int32_t length;
};
// Reference to a byte-sequence block; null is the empty byte sequence.
using Bytes = const BytesHeader*;

// Passed to library operations in place of a null Text or Bytes.
extern const char EmptyText[1];
extern const BytesHeader EmptyBytes;

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

// Reads a decimal number as atol does: blanks, one sign, then digits up to
// the first other byte, wrapping around at 32 bits. *exact, when given, tells
// whether the number written fits a signed 32-bit integer as it stands.
int32_t ReadDecimal(const char* text, bool* exact = nullptr);

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

// Optional argument of a launcher routine: the value and whether it was given.
template <typename T>
struct Optional {
  T value{};
  bool given = false;
};
template <typename T>
Optional<T> Given(T value) {
  return Optional<T>{value, true};
}

// Number of bytes before the NUL; 0 for null.
uint32_t TextLength(Text text);

// A fresh text holding the parts' bytes in order; never null.
Text ConcatTexts(std::initializer_list<Text> parts);

// A fresh text of the first `length` bytes of `buffer`; null when length <= 0.
Text TextFromBuffer(const void* buffer, int32_t length);

// The text repeated n times; null when it is empty or n <= 0.
Text RepeatText(Text text, int32_t n);
// The first min(n, length) bytes; null when the text is empty or n <= 0.
Text LeftText(Text text, int32_t n);

// A fresh Bytes block of `length` bytes (length > 0), zero-filled or not.
BytesHeader* NewBytes(int32_t length, bool zeroed);
// Elements of an array block: the product of its dimension sizes, 1 when it
// has fewer than one dimension. For a Bytes block, its length.
int64_t ElementCount(const void* block);
// First element of an array block (after the dimension sizes).
const uint8_t* ArrayElements(const void* block);

// Byte-sequence access.
inline const uint8_t* BytesData(Bytes bytes) {
  return reinterpret_cast<const uint8_t*>(bytes) + sizeof(BytesHeader);
}
inline int32_t BytesLength(Bytes bytes) { return bytes == nullptr ? 0 : bytes->length; }

inline Text TextOrEmpty(Text text) { return text != nullptr ? text : EmptyText; }
inline Bytes BytesOrEmpty(Bytes bytes) { return bytes != nullptr ? bytes : &EmptyBytes; }

// Owns one Text or Bytes value and releases it with FreeBlock. Assigning
// releases the old value after the new one is in hand.
template <typename T>
class Owned {
 public:
  Owned() = default;
  explicit Owned(T value) : value_(value) {}
  ~Owned() { Release(value_); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Owned& operator=(Owned&& other) noexcept {
    Reset(std::exchange(other.value_, nullptr));
    return *this;
  }

  T get() const { return value_; }
  T Take() { return std::exchange(value_, nullptr); }
  void Reset(T value = nullptr) { Release(std::exchange(value_, value)); }

 private:
  static void Release(T value);
  T value_ = nullptr;
};
using OwnedText = Owned<Text>;
using OwnedBytes = Owned<Bytes>;

template <typename T>
void Owned<T>::Release(T value) {
  FreeBlock(value);
}

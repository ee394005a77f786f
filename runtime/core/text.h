// Text values and byte sequences: their references, blocks and ownership.
// Like every runtime header, it keeps all the operations the runtime defines,
// whether this program calls them or not. The launcher uses them all but
// ElementCount and ArrayElements, which only the conversions use.
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

#include "runtime/core/text.h"

#include <cstring>

#include "runtime/core/memory.h"

const char EmptyText[1] = "";
const BytesHeader EmptyBytes = {1, 0};

namespace {

ArgSlot Make64(uint64_t bits, TypeTag tag) {
  return ArgSlot{static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), tag};
}

template <typename T>
uint64_t Bits(T value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  return bits;
}

}  // namespace

ArgSlot OmittedSlot() { return ArgSlot{0, 0, TAG_OMITTED}; }
ArgSlot BoolSlot(bool value) { return ArgSlot{value ? 1u : 0u, 0, TAG_BOOL}; }
ArgSlot ByteSlot(uint8_t value) { return ArgSlot{value, 0, TAG_BYTE}; }
ArgSlot ShortSlot(int16_t value) { return ArgSlot{static_cast<uint16_t>(value), 0, TAG_SHORT}; }
ArgSlot IntSlot(int32_t value) { return ArgSlot{static_cast<uint32_t>(value), 0, TAG_INT}; }
ArgSlot Int64Slot(int64_t value) { return Make64(static_cast<uint64_t>(value), TAG_INT64); }
ArgSlot FloatSlot(float value) { return Make64(Bits(value), TAG_FLOAT); }
ArgSlot DoubleSlot(double value) { return Make64(Bits(value), TAG_DOUBLE); }
ArgSlot DateTimeSlot(double value) { return Make64(Bits(value), TAG_DATETIME); }
ArgSlot TextSlot(Text text) { return PointerSlot(TAG_TEXT, text); }
ArgSlot BytesSlot(Bytes bytes) { return PointerSlot(TAG_BYTES, bytes); }
ArgSlot PointerSlot(TypeTag tag, const void* address) {
  return Make64(reinterpret_cast<uintptr_t>(address), tag);
}

const ArgSlot& SlotAt(int32_t count, const ArgSlot* slots, int32_t index) {
  static const ArgSlot kOmitted = OmittedSlot();
  return index >= 0 && index < count ? slots[index] : kOmitted;
}

uint64_t SlotBits(const ArgSlot& slot) { return static_cast<uint64_t>(slot.high) << 32 | slot.low; }
int32_t SlotInt(const ArgSlot& slot) { return static_cast<int32_t>(slot.low); }
double SlotDouble(const ArgSlot& slot) {
  uint64_t bits = SlotBits(slot);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
const void* SlotPointer(const ArgSlot& slot) {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(SlotBits(slot)));
}

uint32_t TagWidth(TypeTag tag) {
  switch (tag) {
    case TAG_BYTE:
      return 1;
    case TAG_SHORT:
      return 2;
    case TAG_DATETIME:
    case TAG_INT64:
    case TAG_DOUBLE:
    case TAG_RESERVED_WIDE:
      return 8;
    case TAG_OMITTED:
    case TAG_RESERVED_EMPTY:
      return 0;
    default:
      return 4;
  }
}

bool IsBasicTag(TypeTag tag) { return (tag & 0xC0000000u) == 0x80000000u; }

int32_t ReadDecimal(const char* text, bool* exact) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  uint32_t value = 0;
  uint64_t whole = 0;  // stops growing once past every 32-bit value
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10u + (*p - '0');
    if (whole <= UINT32_MAX) whole = whole * 10 + (*p - '0');
  }
  if (exact != nullptr) *exact = whole <= (negative ? uint64_t{1} << 31 : INT32_MAX);
  return static_cast<int32_t>(negative ? 0u - value : value);
}

uint32_t TextLength(Text text) {
  return text == nullptr ? 0 : static_cast<uint32_t>(std::strlen(text));
}

Text ConcatTexts(std::initializer_list<Text> parts) {
  uint64_t total = 1;
  for (Text part : parts) total += TextLength(part);
  // Beyond 4 GiB no heap can serve the block: the same end as exhaustion.
  if (total > UINT32_MAX) total = UINT32_MAX;
  char* block = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(total)));
  size_t at = 0;
  for (Text part : parts) {
    size_t n = TextLength(part);
    if (at + n >= total) n = total - 1 - at;
    if (n > 0) std::memcpy(block + at, part, n);
    at += n;
  }
  block[at] = 0;
  return block;
}

Text TextFromBuffer(const void* buffer, int32_t length) {
  if (length <= 0) return nullptr;
  auto n = static_cast<uint32_t>(length);
  char* block = static_cast<char*>(AllocBlock(n + 1));
  std::memcpy(block, buffer, n);
  block[n] = 0;
  return block;
}

BytesHeader* NewBytes(int32_t length, bool zeroed) {
  uint32_t size = static_cast<uint32_t>(length) + sizeof(BytesHeader);
  auto* block = static_cast<BytesHeader*>(zeroed ? AllocZeroed(size) : AllocBlock(size));
  block->dimensions = 1;
  block->length = length;
  return block;
}

int64_t ElementCount(const void* block) {
  const auto* header = static_cast<const int32_t*>(block);
  int32_t dimensions = header[0];
  if (dimensions < 1) return 1;
  uint64_t count = 1;  // unsigned: absurd sizes wrap instead of overflowing
  for (int32_t i = 1; i <= dimensions; ++i) count *= static_cast<uint64_t>(int64_t{header[i]});
  return static_cast<int64_t>(count);
}

const uint8_t* ArrayElements(const void* block) {
  const auto* header = static_cast<const int32_t*>(block);
  int32_t dimensions = header[0] < 0 ? 0 : header[0];
  return reinterpret_cast<const uint8_t*>(header + 1 + dimensions);
}

Text RepeatText(Text text, int32_t n) {
  uint32_t length = TextLength(text);
  if (length == 0 || n <= 0) return nullptr;
  char* block = static_cast<char*>(AllocZeroed(length * static_cast<uint32_t>(n) + 1));
  for (int32_t i = 0; i < n; ++i)
    std::memcpy(block + static_cast<size_t>(i) * length, text, length);
  return block;
}

Text LeftText(Text text, int32_t n) {
  uint32_t length = TextLength(text);
  if (length == 0 || n <= 0) return nullptr;
  uint32_t take = static_cast<uint32_t>(n) < length ? static_cast<uint32_t>(n) : length;
  return TextFromBuffer(text, static_cast<int32_t>(take));
}

#include "runtime/core/arguments.h"

#include <cstring>

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

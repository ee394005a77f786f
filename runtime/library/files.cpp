#include "runtime/library/files.h"

#include <cstring>

#include "platform/platform.h"
#include "runtime/core/error_report.h"
#include "runtime/core/memory.h"

namespace {

uint8_t* MutableData(BytesHeader* block) { return reinterpret_cast<uint8_t*>(block + 1); }

// Result tag of each GetBytesData type code, 1 to 10.
constexpr TypeTag kTypeTags[] = {TAG_BYTE,   TAG_SHORT, TAG_INT,      TAG_INT64,  TAG_FLOAT,
                                 TAG_DOUBLE, TAG_BOOL,  TAG_DATETIME, TAG_SUBPTR, TAG_TEXT};
constexpr int32_t kTypeCodes = sizeof kTypeTags / sizeof kTypeTags[0];
// The runtime error a type code outside 1 to 10 raises (no description of its own).
constexpr int32_t kErrorTypeCode = 100;

}  // namespace

// The whole file, bytes as stored. A file that cannot be opened or read, or
// whose size is unknown or does not fit a Bytes length (2 GiB and more),
// gives the empty Bytes; a read that ends early gives what was read.
Bytes ReadFileBytes(int32_t count, const ArgSlot* args) {
  const platform::Api& os = platform::Os();
  auto name = static_cast<Text>(SlotPointer(SlotAt(count, args, 0)));
  if (name == nullptr) return nullptr;
  platform::HANDLE file = os.CreateFileA(
      name, platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, nullptr,
      platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (file == platform::kInvalidHandle || file == nullptr) return nullptr;
  platform::DWORD high = 0;
  platform::DWORD size = os.GetFileSize(file, &high);
  if (high != 0 || size > INT32_MAX) {  // INVALID_FILE_SIZE included
    os.CloseHandle(file);
    return nullptr;
  }
  BytesHeader* block = NewBytes(static_cast<int32_t>(size), false);
  platform::DWORD read = 0;
  platform::BOOL ok =
      size == 0 ? platform::kTrue : os.ReadFile(file, MutableData(block), size, &read, nullptr);
  os.CloseHandle(file);
  if (ok == 0) {
    FreeBlock(block);
    return nullptr;
  }
  block->length = static_cast<int32_t>(read < size ? read : size);
  return block;
}

Bytes BlankBytes(int32_t count, const ArgSlot* args) {
  int32_t length = SlotInt(SlotAt(count, args, 0));
  return length <= 0 ? nullptr : NewBytes(length, true);
}

Bytes PointerToBytes(int32_t count, const ArgSlot* args) {
  const void* address = SlotPointer(SlotAt(count, args, 0));
  int32_t length = SlotInt(SlotAt(count, args, 1));
  if (address == nullptr || length <= 0) return nullptr;
  BytesHeader* block = NewBytes(length, false);
  std::memcpy(MutableData(block), address, static_cast<size_t>(length));
  return block;
}

ArgSlot GetBytesData(int32_t count, const ArgSlot* args) {
  auto bytes = static_cast<Bytes>(SlotPointer(SlotAt(count, args, 0)));
  int32_t type = SlotInt(SlotAt(count, args, 1));
  const ArgSlot& position = SlotAt(count, args, 2);
  if (type < 1 || type > kTypeCodes) ReportRuntimeError(kErrorTypeCode, 0, 0);
  TypeTag tag = kTypeTags[type - 1];
  ArgSlot result = {0, 0, tag};
  if (bytes == nullptr) return result;

  int32_t* variable = nullptr;
  int64_t offset = 0;
  if (position.tag == (TAG_INT | TAG_ARRAY)) {
    variable = static_cast<int32_t*>(const_cast<void*>(SlotPointer(position)));
    if (variable != nullptr) offset = int64_t{*variable} - 1;
  } else if (SlotGiven(position)) {
    offset = int64_t{SlotInt(position)} - 1;
  }
  int64_t length = bytes->length;
  int64_t available = length - offset;
  if (offset < 0 || available <= 0) {
    if (variable != nullptr) *variable = -1;
    return result;
  }

  const uint8_t* at = BytesData(bytes) + offset;
  int64_t advance = 0;
  if (tag == TAG_TEXT) {
    const void* nul = std::memchr(at, 0, static_cast<size_t>(available));
    int64_t n = nul != nullptr ? static_cast<const uint8_t*>(nul) - at : available;
    result = PointerSlot(TAG_TEXT, TextFromBuffer(at, static_cast<int32_t>(n)));
    advance = n + 1;
  } else {
    uint32_t width = TagWidth(tag);
    uint8_t value[8] = {};  // missing high bytes read as 0
    std::memcpy(value, at, available < width ? static_cast<size_t>(available) : width);
    uint64_t bits = 0;
    std::memcpy(&bits, value, width);  // little-endian, as the data are stored
    if (tag == TAG_BOOL) bits = bits != 0 ? 1 : 0;
    result.low = static_cast<uint32_t>(bits);
    result.high = static_cast<uint32_t>(bits >> 32);
    advance = width;
  }
  if (variable != nullptr) {
    int64_t next = *variable + advance;
    *variable = next > length ? -1 : static_cast<int32_t>(next);
  }
  return result;
}

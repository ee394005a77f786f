#include "runtime/core/text.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/memory.h"

const char EmptyText[1] = "";
const BytesHeader EmptyBytes = {1, 0};

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
  uint64_t count = 1;  // unsigned: absurd sizes wrap instead of overflowing
  for (int32_t i = 1; i <= dimensions; ++i) count *= static_cast<uint64_t>(int64_t{header[i]});
  return static_cast<int64_t>(count);
}

const uint8_t* ArrayElements(const void* block) {
  const auto* header = static_cast<const int32_t*>(block);
  int32_t dimensions = std::max(header[0], 0);
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
  return TextFromBuffer(text, static_cast<int32_t>(std::min<int64_t>(n, TextLength(text))));
}

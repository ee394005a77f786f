// The text-building operations: ConcatTexts, TextFromBuffer, and BytesToText
// on byte sequences and array blocks of any shape (through ToText). Blocks are
// made at their true size, so that a read past them is reported.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/testing/fuzz_check.h"
#include "runtime/library/conversions.h"

namespace {

std::string TextOf(Text text) { return text != nullptr ? text : ""; }

// What a text of these bytes reads: the bytes before the first NUL.
std::string UpToNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

void CheckConcat(FuzzedDataProvider& input) {
  std::vector<std::string> parts(input.ConsumeIntegralInRange<size_t>(1, 4));
  std::vector<bool> null_part(parts.size());
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    null_part[i] = input.ConsumeBool();
    parts[i] = input.ConsumeRandomLengthString(64);
    if (!null_part[i]) joined += UpToNul(parts[i]);
  }
  auto part = [&](size_t i) -> Text {
    return i < parts.size() && !null_part[i] ? parts[i].c_str() : nullptr;
  };
  Text result;
  switch (parts.size()) {
    case 1:
      result = ConcatTexts({part(0)});
      break;
    case 2:
      result = ConcatTexts({part(0), part(1)});
      break;
    case 3:
      result = ConcatTexts({part(0), part(1), part(2)});
      break;
    default:
      result = ConcatTexts({part(0), part(1), part(2), part(3)});
      break;
  }
  OwnedText owned(result);
  FUZZ_CHECK(result != nullptr);  // never null, even when empty
  FUZZ_CHECK(TextLength(result) == joined.size());
  FUZZ_CHECK(std::memcmp(result, joined.c_str(), joined.size() + 1) == 0);
}

void CheckFromBuffer(FuzzedDataProvider& input) {
  std::string buffer = input.ConsumeRandomLengthString(64);
  auto length = input.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(buffer.size()));
  // An exact copy, so that the sanitizer sees a read past `length`.
  std::vector<char> exact(buffer.begin(), buffer.begin() + (length > 0 ? length : 0));
  OwnedText text(TextFromBuffer(exact.data(), length));
  if (length <= 0) {
    FUZZ_CHECK(text.get() == nullptr);
    return;
  }
  FUZZ_CHECK(text.get() != nullptr);
  // Exactly `length` bytes and the NUL; the text reads to the first NUL.
  FUZZ_CHECK(std::memcmp(text.get(), exact.data(), exact.size()) == 0);
  FUZZ_CHECK(text.get()[length] == 0);
  FUZZ_CHECK(TextOf(text.get()) == UpToNul(std::string(exact.data(), exact.size())));
}

// An array block: a dimension count, the sizes, then the elements; sized
// exactly for the elements its sizes count (none when they count none).
void CheckArray(FuzzedDataProvider& input) {
  constexpr TypeTag kBases[] = {TAG_BYTE, TAG_SHORT, TAG_INT, TAG_SUBPTR, TAG_INT64, TAG_BYTES};
  constexpr int32_t kSizes[] = {1, 2, 4, 4, 8, 1};
  size_t kind = input.ConsumeIntegralInRange<size_t>(0, 5);
  int32_t dimensions = input.ConsumeIntegralInRange<int32_t>(-2, 4);
  if (kind == 5) dimensions = 1;  // a byte sequence has one dimension
  std::vector<int32_t> sizes;
  int64_t elements = 1;
  for (int32_t i = 0; i < dimensions; ++i) {
    sizes.push_back(input.ConsumeIntegralInRange<int32_t>(-6, 10));
    elements *= sizes.back();
  }
  if (kind == 5 && elements < 0) sizes[0] = -sizes[0], elements = -elements;
  int64_t total = elements > 0 ? elements * kSizes[kind] : 0;
  std::string contents = input.ConsumeBytesAsString(static_cast<size_t>(total));
  contents.resize(static_cast<size_t>(total), 'x');

  size_t header = sizeof(int32_t) * (1 + sizes.size());
  auto* block = static_cast<char*>(std::malloc(header + contents.size()));
  std::memcpy(block, &dimensions, sizeof dimensions);
  if (!sizes.empty()) std::memcpy(block + sizeof(int32_t), sizes.data(), header - sizeof(int32_t));
  std::copy(contents.begin(), contents.end(), block + header);

  TypeTag tag = kind == 5 ? TAG_BYTES : (kBases[kind] | TAG_ARRAY);
  OwnedText text(CallLibrary(ToText, {PointerSlot(tag, block)}));
  OwnedText direct(BytesToText(block, kSizes[kind]));
  std::free(block);
  // The elements' bytes up to the first NUL; the empty text is null.
  std::string expected = UpToNul(contents);
  FUZZ_CHECK(expected.empty() ? text.get() == nullptr : TextOf(text.get()) == expected);
  FUZZ_CHECK(TextOf(direct.get()) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
      CheckConcat(input);
      break;
    case 1:
      CheckFromBuffer(input);
      break;
    default:
      CheckArray(input);
      break;
  }
  return 0;
}

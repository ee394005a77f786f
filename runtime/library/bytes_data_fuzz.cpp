// GetBytesData over fuzzed blocks, type codes and positions: every read takes
// exactly the bytes of the block it may take (the sanitizers see the block's
// true size), a referenced position walks forward to -1, and a type code
// outside 1..10 ends the run with runtime error 100.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/testing/fuzz_check.h"
#include "runtime/core/test_support.h"
#include "runtime/library/files.h"

namespace {

constexpr TypeTag kTags[] = {TAG_BYTE,   TAG_SHORT, TAG_INT,      TAG_INT64,  TAG_FLOAT,
                             TAG_DOUBLE, TAG_BOOL,  TAG_DATETIME, TAG_SUBPTR, TAG_TEXT};
constexpr uint32_t kWidths[] = {1, 2, 4, 8, 4, 8, 4, 8, 4, 0};

// A Bytes block of exactly its header and data, so that any read past the
// data is an overflow the address sanitizer reports.
struct Block {
  explicit Block(const std::string& bytes) {
    memory = static_cast<BytesHeader*>(std::malloc(sizeof(BytesHeader) + bytes.size()));
    memory->dimensions = 1;
    memory->length = static_cast<int32_t>(bytes.size());
    std::memcpy(memory + 1, bytes.data(), bytes.size());
  }
  ~Block() { std::free(memory); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  BytesHeader* memory;
};

// What a read of type code `type` at 0-based `offset` must give; the number
// of bytes it moves a referenced position on.
ArgSlot Expected(const std::string& bytes, int32_t type, int64_t offset, int64_t* advance) {
  ArgSlot slot{0, 0, kTags[type - 1]};
  *advance = 0;
  if (offset < 0 || offset >= static_cast<int64_t>(bytes.size())) return slot;
  std::string rest = bytes.substr(static_cast<size_t>(offset));
  if (type == 10) {
    *advance = static_cast<int64_t>(std::strlen(rest.c_str())) + 1;
    return slot;  // the text itself is compared apart
  }
  uint32_t width = kWidths[type - 1];
  uint64_t bits = 0;
  for (size_t i = 0; i < width && i < rest.size(); ++i)
    bits |= uint64_t{static_cast<unsigned char>(rest[i])} << (8 * i);
  if (type == 7) bits = bits != 0;
  slot.low = static_cast<uint32_t>(bits);
  slot.high = static_cast<uint32_t>(bits >> 32);
  *advance = width;
  return slot;
}

// Checks one read and releases a text result.
void CheckRead(const ArgSlot& got, const std::string& bytes, int32_t type, int64_t offset,
               int64_t* advance) {
  ArgSlot want = Expected(bytes, type, offset, advance);
  FUZZ_CHECK(got.tag == want.tag);
  if (type != 10) {
    FUZZ_CHECK(got.low == want.low && got.high == want.high);
    return;
  }
  OwnedText text(static_cast<Text>(SlotPointer(got)));
  std::string expected;
  // The bytes from the offset up to the first NUL.
  if (offset >= 0 && offset < static_cast<int64_t>(bytes.size())) {
    std::string rest = bytes.substr(static_cast<size_t>(offset));
    expected = rest.substr(0, rest.find('\0'));
  }
  // The empty text is null, never a block with only the NUL.
  FUZZ_CHECK(expected.empty() ? text.get() == nullptr : expected == text.get());
}

ArgSlot Read(Bytes block, int32_t type, const ArgSlot& position) {
  return CallLibrary(GetBytesData, {BytesSlot(block), IntSlot(type), position});
}

void CheckUnknownTypeCode(Bytes block, int32_t type) {
  auto run = testing_support::RunAsProgram([&] { Read(block, type, OmittedSlot()); });
  FUZZ_CHECK(!run.body_finished);
  FUZZ_CHECK(run.exit_code == 0);
  FUZZ_CHECK(run.boxes.size() == 1);
  FUZZ_CHECK(run.boxes[0].caption == "error");
  FUZZ_CHECK(run.boxes[0].text.find("number is 100.") != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  int32_t type = input.ConsumeIntegralInRange<int32_t>(0, 10);
  int32_t unknown_type = input.ConsumeIntegral<int32_t>();
  int mode = input.ConsumeIntegralInRange(0, 3);
  // Mostly positions near the data, sometimes anything.
  int32_t position = input.ConsumeBool() ? input.ConsumeIntegral<int32_t>()
                                         : input.ConsumeIntegralInRange<int32_t>(-2, 40);
  std::string bytes = input.ConsumeRemainingBytesAsString();
  Block block(bytes);

  if (type == 0) {  // a code outside 1..10
    if (unknown_type >= 1 && unknown_type <= 10) unknown_type += 10;
    CheckUnknownTypeCode(block.memory, unknown_type);
    return 0;
  }

  int64_t advance = 0;
  switch (mode) {
    case 0:  // omitted: from the start
      CheckRead(Read(block.memory, type, OmittedSlot()), bytes, type, 0, &advance);
      break;
    case 1:  // given as a value
      CheckRead(Read(block.memory, type, IntSlot(position)), bytes, type, int64_t{position} - 1,
                &advance);
      break;
    case 2: {  // the caller's variable, walked to its end
      int32_t at = position;
      for (size_t steps = 0; at != -1; ++steps) {
        FUZZ_CHECK(steps <= bytes.size() + 1);
        int32_t before = at;
        ArgSlot got = Read(block.memory, type, PointerSlot(TAG_INT | TAG_ARRAY, &at));
        CheckRead(got, bytes, type, int64_t{before} - 1, &advance);
        int64_t next = int64_t{before} + advance;
        if (advance == 0 || next > static_cast<int64_t>(bytes.size()))
          FUZZ_CHECK(at == -1);
        else
          FUZZ_CHECK(at == next);
      }
      break;
    }
    default: {  // no Bytes at all: the zero value, the variable untouched
      int32_t at = position;
      ArgSlot got = Read(nullptr, type, PointerSlot(TAG_INT | TAG_ARRAY, &at));
      FUZZ_CHECK(got.tag == kTags[type - 1] && got.low == 0 && got.high == 0);
      FUZZ_CHECK(at == position);
      break;
    }
  }
  return 0;
}

#include "runtime/library/files.h"

#include <gtest/gtest.h>

#include "runtime/core/error_report.h"
#include "testing/fake_system.h"

using Lines = std::vector<std::string>;

TEST(GetBytesData, ValuesAndTextsToANulAndAPositionGivenWalksOnToMinusOnePastTheEnd) {
  static const int32_t kBlock[] = {1, 6, 0x04030201, 0x6300};  // 01 02 03 04 00 63 ("c")
  // clang-format off
  const struct { int32_t type, before; std::string text; int32_t after; } reads[] = {
      {10, 1, "\x01\x02\x03\x04", 6}, {10, 6, "c", -1}, {10, -1, "", -1}, {10, 5, "", 6},
      {10, 3, "\x03\x04", 6}, {2, 5, "25344", -1}, {3, 2, "262914", 6}, {7, 1, "1", 5}};
  // clang-format on
  for (const auto& r : reads) {
    int32_t at = r.before;
    ArgSlot value =
        CallLibrary(GetBytesData, {BytesSlot(reinterpret_cast<Bytes>(kBlock)), IntSlot(r.type),
                                   PointerSlot(TAG_INT | TAG_ARRAY, &at)});
    OwnedText text(r.type == 10 ? static_cast<Text>(SlotPointer(value)) : nullptr);
    EXPECT_EQ(r.type == 10 ? TextOrEmpty(text.get()) : std::to_string(value.low), r.text);
    EXPECT_EQ(at, r.after) << r.before;
  }
  const Bytes block = reinterpret_cast<Bytes>(kBlock);  // a position given as a value: the 6th
  EXPECT_EQ(CallLibrary(GetBytesData, {BytesSlot(block), IntSlot(1), IntSlot(6)}).low, 0x63u);
}

TEST(GetBytesData, ATypeCodeOutsideOneToTenEndsTheRunWithError100) {
  char report[256];
  FormatRuntimeError(report, 100, 0, 0);
  for (int32_t type : {0, 11}) {
    fake::FakeSystem system;
    EXPECT_FALSE(system.Run([type] {
      CallLibrary(GetBytesData, {BytesSlot(&EmptyBytes), IntSlot(type)});
    }));
    EXPECT_EQ(system.boxes, Lines{"error 16: " + std::string(report)}) << type;
  }
}

TEST(PointerToBytes, CopiesLengthBytesAndNothingForNoAddressOrNoLength) {
  const char kSource[] = "abc";
  for (auto [source, length] : {std::pair{kSource, 0}, {kSource, -1}, {nullptr, 3}})
    EXPECT_EQ(CallLibrary(PointerToBytes, {PointerSlot(TAG_INT, source), IntSlot(length)}),
              nullptr);
  OwnedBytes copy(CallLibrary(PointerToBytes, {PointerSlot(TAG_INT, kSource), IntSlot(3)}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(BytesData(copy.get())), 3), "abc");
}

TEST(ReadFileBytes, WholeFilesAsStoredAndNothingForFilesThatCannotBeRead) {
  // clang-format off
  const struct { std::string in; bool opens, fails; std::optional<uint64_t> size; std::string out; }
      cases[] = {{"\r\n", true, false, {}, "\r\n"}, {"", true, false, {}, ""},
      {"rrrr", true, false, 10, "rrrr"}, {"r", false, false, {}, "-"}, {"r", true, true, {}, "-"},
      {"r", true, false, (uint64_t{1} << 32) + 5, "-"}, {"r", true, false, 0x80000000u, "-"},
      {"r", true, false, platform::INVALID_FILE_SIZE, "-"}, {"r", true, false, INT32_MAX, "r"}};
  // clang-format on
  for (const auto& c : cases) {
    fake::FakeSystem system;
    system.files["f"] = c.in;
    if (!c.opens) system.unopenable = {"f"};
    system.read_fails = c.fails;
    system.file_size = c.size;
    OwnedBytes bytes(CallLibrary(ReadFileBytes, {TextSlot("f")}));
    const auto* data = reinterpret_cast<const char*>(BytesData(BytesOrEmpty(bytes.get())));
    EXPECT_EQ(bytes.get() ? std::string(data, BytesLength(bytes.get())) : "-", c.out);  // -: none
    EXPECT_EQ(system.Calls("CloseHandle"), c.opens ? Lines{"file"} : Lines{});
    EXPECT_EQ(system.heap_frees, c.fails ? 1 : 0);  // the block of a failed read goes
  }
}

#include "runtime/library/console.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "runtime/library/datetime.h"

namespace {

platform::HANDLE const kOut = reinterpret_cast<platform::HANDLE>(0x10);
platform::HANDLE const kErr = reinterpret_cast<platform::HANDLE>(0x20);
platform::HANDLE const kIn = reinterpret_cast<platform::HANDLE>(0x30);

// A console whose answers the test chooses and whose calls it records.
struct FakeConsole {
  bool has_handles = true;
  std::vector<std::string> writes{};         // one entry per WriteFile call, "o:" or "e:" + bytes
  int fail_write = -1;                       // index of a WriteFile call that fails
  int stall_write = -1;                      // index of a call that reports 0 bytes written
  platform::DWORD write_limit = 0xFFFFFFFF;  // at most this many bytes per call
  std::string line{};                        // what ReadConsoleA delivers
  bool read_ok = true;
  int reads = 0;
  platform::DWORD asked = 0;
  std::vector<int> keys{};  // what _getch returns, then 'x' for ever
  size_t key_calls = 0;
};
FakeConsole g;

platform::Api FakeApi() {
  platform::Api api = platform::NativeApi();
  api.GetStdHandle = [](platform::DWORD which) -> platform::HANDLE {
    if (!g.has_handles) return nullptr;
    return which == platform::STD_OUTPUT_HANDLE  ? kOut
           : which == platform::STD_ERROR_HANDLE ? kErr
                                                 : kIn;
  };
  api.WriteFile = [](platform::HANDLE h, const void* bytes, platform::DWORD count,
                     platform::DWORD* written, void* overlapped) {
    EXPECT_EQ(overlapped, nullptr);
    EXPECT_EQ(*written, 0u);
    int index = static_cast<int>(g.writes.size());
    platform::DWORD n = count < g.write_limit ? count : g.write_limit;
    if (index == g.stall_write) n = 0;
    g.writes.push_back((h == kOut   ? "o:"
                        : h == kErr ? "e:"
                                    : "?:") +
                       std::string(static_cast<const char*>(bytes), n));
    if (index == g.fail_write) return platform::kFalse;
    *written = n;
    return platform::kTrue;
  };
  api.ReadConsoleA = [](platform::HANDLE h, void* buffer, platform::DWORD count,
                        platform::DWORD* read, void* control) {
    EXPECT_EQ(h, kIn);
    EXPECT_EQ(control, nullptr);
    ++g.reads;
    g.asked = count;
    if (!g.read_ok) return platform::kFalse;
    std::memcpy(buffer, g.line.data(), g.line.size());
    *read = static_cast<platform::DWORD>(g.line.size());
    return platform::kTrue;
  };
  api._getch = [] {
    size_t i = g.key_calls++;
    return i < g.keys.size() ? g.keys[i] : 'x';
  };
  return api;
}

// Runs ConsoleWrite against a fresh fake console; returns the calls made.
std::vector<std::string> Write(std::initializer_list<ArgSlot> slots, FakeConsole console = {}) {
  g = console;
  platform::Api api = FakeApi();
  platform::ScopedApi use(api);
  ConsoleWrite(static_cast<int32_t>(slots.size()), slots.begin());
  return g.writes;
}

std::string Joined(const std::vector<std::string>& writes) {
  std::string out;
  for (const std::string& w : writes) out += w.substr(2);
  return out;
}

using Calls = std::vector<std::string>;

TEST(ConsoleWrite, DirectionChoosesTheStream) {
  EXPECT_EQ(Write({IntSlot(2), TextSlot("a")}), (Calls{"e:a"}));
  EXPECT_EQ(Write({IntSlot(1), TextSlot("a")}), (Calls{"o:a"}));
  EXPECT_EQ(Write({IntSlot(3), TextSlot("a")}), (Calls{"o:a"}));
  EXPECT_EQ(Write({OmittedSlot(), TextSlot("a")}), (Calls{"o:a"}));
  EXPECT_TRUE(Write({IntSlot(2)}).empty());
  EXPECT_TRUE(Write({OmittedSlot(), TextSlot("a")}, {.has_handles = false}).empty());
}

TEST(ConsoleWrite, LongTextsGoInChunksAndEmptyOnesNotAtAll) {
  std::string text(2500, 'z');
  Calls calls = Write({OmittedSlot(), TextSlot(text.c_str())});
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].size() - 2, 1024u);
  EXPECT_EQ(calls[1].size() - 2, 1024u);
  EXPECT_EQ(calls[2].size() - 2, 452u);
  EXPECT_TRUE(Write({OmittedSlot(), TextSlot(EmptyText)}).empty());
}

TEST(ConsoleWrite, ValuesFollowEachOtherWithNothingBetween) {
  const double date = 45000.5;
  OwnedText date_text(DateTimeToText(date, false));
  EXPECT_EQ(Joined(Write({OmittedSlot(), TextSlot("a"), IntSlot(5), BoolSlot(true), BoolSlot(false),
                          DoubleSlot(2.5), DoubleSlot(100.0), DoubleSlot(0.1234567),
                          FloatSlot(0.5f), Int64Slot(-1), DateTimeSlot(date)})),
            std::string("a5\xD5\xE6\xBC\xD9"
                        "2.51000.1234570.5-1") +
                date_text.get());
  // Bytes and shorts print all 32 low bits of their slot.
  EXPECT_EQ(
      Joined(Write({OmittedSlot(), ArgSlot{0x1FF, 0, TAG_BYTE}, ArgSlot{0x12345, 0, TAG_SHORT}})),
      "51174565");
}

TEST(ConsoleWrite, ByteSequencesArraysAndUnknownTagsPrintNothing) {
  const int32_t array[] = {1, 1, 7};
  EXPECT_EQ(Joined(Write({OmittedSlot(), BytesSlot(&EmptyBytes), TextSlot("a"),
                          PointerSlot(TAG_INT | TAG_ARRAY, array), ArgSlot{1, 0, 0x80000007},
                          TextSlot("b")})),
            "ab");
}

TEST(ConsoleWrite, AFailingOrStalledWriteEndsOnlyThatValue) {
  std::string text(3000, 'q');
  Calls failed =
      Write({OmittedSlot(), TextSlot(text.c_str()), TextSlot("next")}, {.fail_write = 0});
  EXPECT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed.back(), "o:next");
  Calls stalled =
      Write({OmittedSlot(), TextSlot(text.c_str()), TextSlot("next")}, {.stall_write = 1});
  EXPECT_EQ(stalled.size(), 3u);
  EXPECT_EQ(stalled.back(), "o:next");
  // Partial writes continue where the last one stopped.
  Calls partial = Write({OmittedSlot(), TextSlot("abcdefg")}, {.write_limit = 3});
  EXPECT_EQ(partial, (Calls{"o:abc", "o:def", "o:g"}));
}

// ConsoleRead with the echo argument `echo` against a fake console.
std::string Read(ArgSlot echo, FakeConsole console) {
  g = console;
  platform::Api api = FakeApi();
  platform::ScopedApi use(api);
  OwnedText text(CallLibrary(ConsoleRead, {echo}));
  if (text.get() == nullptr) return "<null>";
  EXPECT_NE(text.get()[0], 0) << "an empty result must be null";
  return text.get();
}

TEST(ConsoleRead, TheLineEndsAtItsLineEnd) {
  EXPECT_EQ(Read(BoolSlot(true), {.line = "12\r\n"}), "12");
  EXPECT_EQ(g.asked, 2048u);
  EXPECT_EQ(Read(OmittedSlot(), {.line = "  7 \r\n"}), "  7 ");
  EXPECT_EQ(Read(OmittedSlot(), {.line = "\r\n"}), "<null>");
  EXPECT_EQ(Read(OmittedSlot(), {.line = "\n"}), "<null>");
  EXPECT_EQ(Read(OmittedSlot(), {.line = std::string("5\0006\r\n", 5)}), "5");
  std::string full(2048, '\xB0');
  EXPECT_EQ(Read(OmittedSlot(), {.line = full}), full);  // a piece of a longer line
}

TEST(ConsoleRead, NoInputOrAFailedReadGivesTheEmptyText) {
  EXPECT_EQ(Read(OmittedSlot(), {.has_handles = false}), "<null>");
  EXPECT_EQ(g.reads, 0);
  EXPECT_EQ(Read(BoolSlot(true), {.read_ok = false}), "<null>");
  EXPECT_EQ(g.key_calls, 0u);
}

TEST(ConsoleRead, WithoutEchoKeysAreStoredUntilEnter) {
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {'a', 8, 'b', 13}}), "a\bb");
  EXPECT_EQ(g.reads, 0);
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {13}}), "<null>");
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {0xD6, 0xD0, 27, 13}}), "\xD6\xD0\x1B");
}

TEST(ConsoleRead, WithoutEchoAFailedKeyReadEndsTheReadAndTheBufferLimitsIt) {
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {'a', -1, 'b', 13}}), "a");
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {}}), std::string(2048, 'x'));
  EXPECT_EQ(g.key_calls, 2048u);
}

}  // namespace

#include "runtime/library/console.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "runtime/library/datetime.h"

namespace {

// A console whose answers the test chooses and whose calls it records.
struct FakeConsole {
  bool has_handles = true;
  int fail_write = -1;   // index of a WriteFile call that fails
  int stall_write = -1;  // index of a call that reports 0 bytes written
  platform::DWORD write_limit = 0xFFFFFFFF;
  std::string line{};  // what ReadConsoleA delivers
  bool read_ok = true;
  std::vector<int> keys{};  // what _getch returns, then 'x' for ever
};
FakeConsole g;
std::vector<std::string> g_writes;  // per WriteFile call: the handle's letter and the bytes
size_t g_key_calls;

platform::Api FakeApi(const FakeConsole& console) {
  g = console;
  g_writes.clear();
  g_key_calls = 0;
  platform::Api api = platform::NativeApi();
  api.GetStdHandle = [](platform::DWORD which) -> platform::HANDLE {
    static char names[] = "ioe";  // input, output, error: handles -10, -11, -12
    return g.has_handles ? names + (-10 - static_cast<int>(which)) : nullptr;
  };
  api.WriteFile = [](platform::HANDLE h, const void* bytes, platform::DWORD count,
                     platform::DWORD* written, void*) {
    int index = static_cast<int>(g_writes.size());
    platform::DWORD n = index == g.stall_write ? 0 : std::min(count, g.write_limit);
    g_writes.push_back(*static_cast<const char*>(h) +
                       std::string(static_cast<const char*>(bytes), n));
    *written = n;
    return platform::BOOL{index != g.fail_write};
  };
  api.ReadConsoleA = [](platform::HANDLE h, void* buffer, platform::DWORD count,
                        platform::DWORD* read, void*) {
    EXPECT_EQ(*static_cast<const char*>(h), 'i');
    EXPECT_EQ(count, 2048u);
    std::memcpy(buffer, g.line.data(), g.line.size());
    *read = static_cast<platform::DWORD>(g.line.size());
    return platform::BOOL{g.read_ok};
  };
  api._getch = [] {
    size_t i = g_key_calls++;
    return i < g.keys.size() ? g.keys[i] : 'x';
  };
  return api;
}

std::vector<std::string> Write(std::initializer_list<ArgSlot> slots,
                               const FakeConsole& console = {}) {
  platform::Api api = FakeApi(console);
  platform::ScopedApi use(api);
  ConsoleWrite(static_cast<int32_t>(slots.size()), slots.begin());
  return g_writes;
}

std::string Joined(const std::vector<std::string>& writes) {
  std::string out;
  for (const std::string& w : writes) out += w.substr(1);
  return out;
}

using Calls = std::vector<std::string>;

TEST(ConsoleWrite, DirectionTwoIsStandardErrorAndAnythingElseStandardOutput) {
  EXPECT_EQ(Write({IntSlot(2), TextSlot("a")}), (Calls{"ea"}));
  EXPECT_EQ(Write({IntSlot(3), TextSlot("a"), TextSlot("b")}), (Calls{"oa", "ob"}));
  EXPECT_EQ(Write({OmittedSlot(), TextSlot("a")}), (Calls{"oa"}));
  EXPECT_TRUE(Write({OmittedSlot(), TextSlot("a")}, {.has_handles = false}).empty());
}

TEST(ConsoleWrite, LongTextsGoInChunksAndEmptyOnesNotAtAll) {
  std::string text(2500, 'z');
  Calls calls = Write({OmittedSlot(), TextSlot(text.c_str()), TextSlot(EmptyText)});
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].size() - 1, 1024u);
  EXPECT_EQ(calls[2].size() - 1, 452u);
}

TEST(ConsoleWrite, ValuesFollowEachOtherAndUnprintableOnesAreSkipped) {
  const double date = 45000.5;
  OwnedText date_text(DateTimeToText(date, false));
  const int32_t array[] = {1, 1, 7};
  EXPECT_EQ(Joined(Write({OmittedSlot(), TextSlot("a"), IntSlot(5), BoolSlot(true), BoolSlot(false),
                          BytesSlot(&EmptyBytes), DoubleSlot(2.5),
                          PointerSlot(TAG_INT | TAG_ARRAY, array), DoubleSlot(0.1234567),
                          Int64Slot(-1), ArgSlot{0x1FF, 0, TAG_BYTE}, DateTimeSlot(date)})),
            std::string("a5\xD5\xE6\xBC\xD9"
                        "2.50.123457-1511") +
                date_text.get());
}

TEST(ConsoleWrite, AFailingOrStalledWriteEndsOnlyThatValue) {
  std::string text(3000, 'q');
  EXPECT_EQ(Write({OmittedSlot(), TextSlot(text.c_str()), TextSlot("n")}, {.fail_write = 0}).back(),
            "on");
  EXPECT_EQ(
      Write({OmittedSlot(), TextSlot(text.c_str()), TextSlot("n")}, {.stall_write = 1}).size(), 3u);
  EXPECT_EQ(Write({OmittedSlot(), TextSlot("abcdefg")}, {.write_limit = 3}),
            (Calls{"oabc", "odef", "og"}));
}

std::string Read(ArgSlot echo, const FakeConsole& console) {
  platform::Api api = FakeApi(console);
  platform::ScopedApi use(api);
  OwnedText text(CallLibrary(ConsoleRead, {echo}));
  if (text.get() == nullptr) return "<null>";
  EXPECT_NE(text.get()[0], 0) << "an empty result must be null";
  return text.get();
}

TEST(ConsoleRead, TheLineEndsAtItsLineEndAndAnEmptyLineIsTheEmptyText) {
  EXPECT_EQ(Read(BoolSlot(true), {.line = "12\r\n"}), "12");
  EXPECT_EQ(Read(OmittedSlot(), {.line = "  7 \r\n"}), "  7 ");
  EXPECT_EQ(Read(OmittedSlot(), {.line = "\r\n"}), "<null>");
  EXPECT_EQ(Read(OmittedSlot(), {.line = std::string("5\0006\r\n", 5)}), "5");
  std::string piece(2048, '\xB0');
  EXPECT_EQ(Read(OmittedSlot(), {.line = piece}), piece);
  EXPECT_EQ(Read(OmittedSlot(), {.line = "12\r\n", .read_ok = false}), "<null>");
  EXPECT_EQ(Read(OmittedSlot(), {.has_handles = false}), "<null>");
}

TEST(ConsoleRead, WithoutEchoKeysAreStoredUntilEnterOrAFailedRead) {
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {'a', 8, 'b', 13}}), "a\bb");
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {13}}), "<null>");
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {0xD6, 0xD0, -1, 'b'}}), "\xD6\xD0");
  EXPECT_EQ(Read(BoolSlot(false), {.keys = {}}), std::string(2048, 'x'));
  EXPECT_EQ(g_key_calls, 2048u);
}

}  // namespace

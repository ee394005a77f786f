#include "runtime/library/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "runtime/core/test_support.h"

namespace {

// A Bytes block in test memory.
struct Block {
  explicit Block(const std::string& data) : storage(8 + data.size()) {
    BytesHeader header{1, static_cast<int32_t>(data.size())};
    std::memcpy(storage.data(), &header, 8);
    std::memcpy(storage.data() + 8, data.data(), data.size());
  }
  Bytes get() const { return reinterpret_cast<Bytes>(storage.data()); }
  std::vector<char> storage;
};

std::string Contents(Bytes bytes) {
  if (bytes == nullptr) return "<null>";
  return std::string(reinterpret_cast<const char*>(BytesData(bytes)), BytesLength(bytes));
}

ArgSlot Data(const Block& b, int32_t type, ArgSlot position = OmittedSlot()) {
  return CallLibrary(GetBytesData, {BytesSlot(b.get()), IntSlot(type), position});
}
ArgSlot At(int32_t* variable) { return PointerSlot(TAG_INT | TAG_ARRAY, variable); }

std::string TakeText(const ArgSlot& slot) {
  EXPECT_EQ(slot.tag, TAG_TEXT);
  OwnedText text(static_cast<Text>(SlotPointer(slot)));
  return text.get() == nullptr ? "<null>" : text.get();
}

TEST(GetBytesData, TextsRunToTheFirstNulAndAReferencedPositionWalksOn) {
  Block abc(std::string("ab\0c", 4));
  EXPECT_EQ(TakeText(Data(abc, 10)), "ab");
  EXPECT_EQ(TakeText(Data(Block("xyz"), 10)), "xyz");
  EXPECT_EQ(TakeText(Data(Block(std::string("\0q", 2)), 10)), "<null>");
  int32_t at = 1;
  EXPECT_EQ(TakeText(Data(abc, 10, At(&at))), "ab");
  EXPECT_EQ(at, 4);
  EXPECT_EQ(TakeText(Data(abc, 10, At(&at))), "c");
  EXPECT_EQ(at, -1);  // 6 is beyond the 4 bytes
  at = 3;
  EXPECT_EQ(TakeText(Data(abc, 10, At(&at))), "<null>");
  EXPECT_EQ(at, 4);  // an empty text still moves on by one
}

TEST(GetBytesData, ValuesAreLittleEndianWithMissingBytesReadAsZero) {
  Block b(std::string("\x01\x02\x03\x04", 4));
  ArgSlot v = Data(b, 3, IntSlot(3));
  EXPECT_EQ(v.tag, TAG_INT);
  EXPECT_EQ(v.low, 0x0403u);
  EXPECT_EQ(SlotBits(Data(b, 4)), 0x04030201u);
  EXPECT_EQ(Data(b, 2, IntSlot(4)).low, 0x04u);
  double d = -2.5;
  ArgSlot date = Data(Block(std::string(reinterpret_cast<char*>(&d), 8)), 8);
  EXPECT_EQ(date.tag, TAG_DATETIME);
  EXPECT_EQ(SlotDouble(date), -2.5);
  // A truth value looks at four bytes and is 1 when any is set.
  EXPECT_EQ(Data(Block(std::string("\0\0\x80\0", 4)), 7).low, 1u);
  EXPECT_EQ(Data(Block(std::string("\0\0\0\0\x01", 5)), 7).low, 0u);

  Block eight(std::string(8, '\x11'));
  int32_t at = 1;
  Data(eight, 3, At(&at));
  EXPECT_EQ(at, 5);
  Data(eight, 3, At(&at));
  EXPECT_EQ(at, -1);
}

TEST(GetBytesData, PositionsOutsideTheDataGiveTheZeroValue) {
  Block b("abcd");
  for (int32_t position : {0, -1, 5, INT32_MIN, INT32_MAX}) {
    ArgSlot v = Data(b, 4, IntSlot(position));
    EXPECT_EQ(v.tag, TAG_INT64);
    EXPECT_EQ(SlotBits(v), 0u) << position;
    int32_t at = position;
    EXPECT_EQ(TakeText(Data(b, 10, At(&at))), "<null>");
    EXPECT_EQ(at, -1) << position;
  }
}

TEST(GetBytesData, AnUnknownTypeCodeIsRuntimeError100) {
  for (int32_t type : {0, 11}) {
    auto run = testing_support::RunAsProgram([&] { Data(Block("abcd"), type); });
    EXPECT_FALSE(run.body_finished);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_NE(run.boxes[0].text.find("number is 100."), std::string::npos);
  }
}

// The file system reports this size and read result for every file.
struct FakeFile {
  platform::DWORD low, high;
  platform::BOOL read_ok;
  platform::DWORD delivers;  // may claim more than was asked for
};
FakeFile g_file;
int g_closes;

Bytes ReadFake(FakeFile file) {
  g_file = file;
  g_closes = 0;
  platform::Api api = platform::NativeApi();
  api.CreateFileA = [](const char*, platform::DWORD, platform::DWORD, void*, platform::DWORD,
                       platform::DWORD,
                       platform::HANDLE) { return reinterpret_cast<platform::HANDLE>(0x44); };
  api.GetFileSize = [](platform::HANDLE, platform::DWORD* high) {
    *high = g_file.high;
    return g_file.low;
  };
  api.ReadFile = [](platform::HANDLE, void* buffer, platform::DWORD count, platform::DWORD* read,
                    void*) {
    std::memset(buffer, 'r', std::min(count, g_file.delivers));
    *read = g_file.delivers;
    return g_file.read_ok;
  };
  api.CloseHandle = [](platform::HANDLE) { return ++g_closes; };
  platform::ScopedApi use(api);
  Bytes result = CallLibrary(ReadFileBytes, {TextSlot("any")});
  EXPECT_EQ(g_closes, 1);
  return result;
}

TEST(ReadFileBytes, WholeFilesAsStored) {
  std::ofstream("rfb_empty", std::ios::trunc).close();
  std::ofstream("rfb_crlf", std::ios::binary | std::ios::trunc) << "\r\n";
  std::filesystem::create_directories("rfb_dir");
  EXPECT_EQ(CallLibrary(ReadFileBytes, {TextSlot("rfb_missing")}), nullptr);
  EXPECT_EQ(CallLibrary(ReadFileBytes, {TextSlot("rfb_dir")}), nullptr);
  OwnedBytes empty(CallLibrary(ReadFileBytes, {TextSlot("rfb_empty")}));
  ASSERT_NE(empty.get(), nullptr);  // an existing empty file is a block of length 0
  EXPECT_EQ(empty.get()->length, 0);
  OwnedBytes crlf(CallLibrary(ReadFileBytes, {TextSlot("rfb_crlf")}));
  EXPECT_EQ(Contents(crlf.get()), "\r\n");
}

TEST(ReadFileBytes, UnfitSizesAndFailedReadsGiveTheEmptyBytesAndShortReadsWhatWasRead) {
  EXPECT_EQ(ReadFake({5, 1, 1, 5}), nullptr);  // 4 GiB + 5
  EXPECT_EQ(ReadFake({platform::INVALID_FILE_SIZE, 0, 1, 0}), nullptr);
  EXPECT_EQ(ReadFake({0x80000000u, 0, 1, 0}), nullptr);
  EXPECT_EQ(ReadFake({10, 0, 0, 4}), nullptr);
  OwnedBytes shorter(ReadFake({10, 0, 1, 4}));
  EXPECT_EQ(Contents(shorter.get()), "rrrr");
  OwnedBytes boasting(ReadFake({3, 0, 1, 50}));
  EXPECT_EQ(Contents(boasting.get()), "rrr");
}

// RunProgram's calls, recorded.
platform::STARTUPINFOA g_startup;
std::string g_calls;
bool g_starts;

bool Start(std::initializer_list<ArgSlot> slots, bool starts = true) {
  g_calls.clear();
  g_starts = starts;
  platform::Api api = platform::NativeApi();
  api.CreateProcessA = [](const char* application, char* line, void*, void*, platform::BOOL inherit,
                          platform::DWORD flags, void*, const char*,
                          platform::STARTUPINFOA* startup, platform::PROCESS_INFORMATION* info) {
    g_startup = *startup;
    if (!g_starts) return platform::kFalse;
    g_calls += std::string("create ") + line + (application || !inherit || flags ? "!" : "");
    info->hProcess = reinterpret_cast<platform::HANDLE>(0x100);
    info->hThread = reinterpret_cast<platform::HANDLE>(0x104);
    return platform::kTrue;
  };
  api.WaitForSingleObject = [](platform::HANDLE h, platform::DWORD ms) {
    g_calls += ms == platform::INFINITE && h == reinterpret_cast<platform::HANDLE>(0x100)
                   ? ", wait"
                   : ", wait?";
    return platform::DWORD{0};
  };
  api.CloseHandle = [](platform::HANDLE h) {
    g_calls += ", close " + std::to_string(reinterpret_cast<uintptr_t>(h));
    return platform::kTrue;
  };
  platform::ScopedApi use(api);
  return RunProgram(static_cast<int32_t>(slots.size()), slots.begin());
}

TEST(RunProgram, StartsTheLineAsGivenWithAShowStateAndNoStreams) {
  EXPECT_TRUE(Start({TextSlot("\"a b\" x"), BoolSlot(false), OmittedSlot()}));
  EXPECT_EQ(g_calls, "create \"a b\" x, close 256, close 260");
  EXPECT_EQ(g_startup.dwFlags, platform::STARTF_USESHOWWINDOW);
  EXPECT_EQ(g_startup.hStdOutput, nullptr);
  EXPECT_EQ(g_startup.hStdError, nullptr);
  EXPECT_EQ(g_startup.wShowWindow, platform::SW_SHOW);
  Start({TextSlot("p"), BoolSlot(false), IntSlot(1)});
  EXPECT_EQ(g_startup.wShowWindow, platform::SW_HIDE);
  Start({TextSlot("p"), BoolSlot(false), IntSlot(7)});
  EXPECT_EQ(g_startup.wShowWindow, platform::SW_SHOW);
}

TEST(RunProgram, WaitsWhenAskedAndClosesNothingWhenTheStartFails) {
  EXPECT_TRUE(Start({TextSlot("p"), BoolSlot(true)}));
  EXPECT_EQ(g_calls, "create p, wait, close 256, close 260");
  EXPECT_FALSE(Start({TextSlot("p"), BoolSlot(true)}, false));
  EXPECT_EQ(g_calls, "");
}

}  // namespace

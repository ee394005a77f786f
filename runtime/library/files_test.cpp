#include "runtime/library/files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "runtime/core/memory.h"
#include "runtime/core/test_support.h"

namespace {

// A Bytes block in test memory.
struct Block {
  explicit Block(std::string data) : storage(sizeof(BytesHeader) + data.size()) {
    BytesHeader header{1, static_cast<int32_t>(data.size())};
    std::memcpy(storage.data(), &header, sizeof header);
    std::memcpy(storage.data() + sizeof header, data.data(), data.size());
  }
  Bytes get() const { return reinterpret_cast<Bytes>(storage.data()); }
  std::vector<char> storage;
};

std::string Contents(Bytes bytes) {
  return std::string(reinterpret_cast<const char*>(BytesData(bytes)), BytesLength(bytes));
}

ArgSlot Data(Bytes bytes, int32_t type, ArgSlot position = OmittedSlot()) {
  return CallLibrary(GetBytesData, {BytesSlot(bytes), IntSlot(type), position});
}

ArgSlot Referenced(int32_t* variable) { return PointerSlot(TAG_INT | TAG_ARRAY, variable); }

// Takes a text result: its bytes, "<null>" for the empty text.
std::string TakeText(const ArgSlot& slot) {
  EXPECT_EQ(slot.tag, TAG_TEXT);
  OwnedText text(static_cast<Text>(SlotPointer(slot)));
  return text.get() == nullptr ? "<null>" : text.get();
}

TEST(GetBytesData, TextRunsToTheFirstNulOrTheEnd) {
  Block abc(std::string("ab\0c", 4));
  EXPECT_EQ(TakeText(Data(abc.get(), 10)), "ab");
  EXPECT_EQ(TakeText(Data(Block("xyz").get(), 10)), "xyz");
  EXPECT_EQ(TakeText(Data(Block(std::string("\0q", 2)).get(), 10)), "<null>");
  EXPECT_EQ(TakeText(Data(abc.get(), 10, IntSlot(4))), "c");
}

TEST(GetBytesData, NumbersAreLittleEndianAndShortTailsReadAsZero) {
  Block b(std::string("\x01\x02\x03\x04", 4));
  ArgSlot v = Data(b.get(), 3, IntSlot(3));
  EXPECT_EQ(v.tag, TAG_INT);
  EXPECT_EQ(v.low, 0x0403u);
  EXPECT_EQ(Data(b.get(), 1, IntSlot(2)).low, 0x02u);
  EXPECT_EQ(Data(b.get(), 2).low, 0x0201u);
  v = Data(b.get(), 4);
  EXPECT_EQ(v.tag, TAG_INT64);
  EXPECT_EQ(SlotBits(v), 0x04030201u);
  EXPECT_EQ(Data(b.get(), 9).tag, TAG_SUBPTR);

  double d = -2.5;
  std::string raw(reinterpret_cast<const char*>(&d), 8);
  EXPECT_EQ(SlotDouble(Data(Block(raw).get(), 6)), -2.5);
  v = Data(Block(raw).get(), 8);
  EXPECT_EQ(v.tag, TAG_DATETIME);
  EXPECT_EQ(SlotDouble(v), -2.5);
  float f = 1.5f;
  v = Data(Block(std::string(reinterpret_cast<const char*>(&f), 4)).get(), 5);
  EXPECT_EQ(v.tag, TAG_FLOAT);
  EXPECT_EQ(v.low, 0x3FC00000u);
}

TEST(GetBytesData, TruthValuesLookAtFourBytes) {
  Block b(std::string("\0\0\x80\0\x01", 5));
  ArgSlot v = Data(b.get(), 7);
  EXPECT_EQ(v.tag, TAG_BOOL);
  EXPECT_EQ(v.low, 1u);
  EXPECT_EQ(Data(Block(std::string("\0\0\0\0\x01", 5)).get(), 7).low, 0u);
}

TEST(GetBytesData, AReferencedPositionWalksAndEndsAtMinusOne) {
  Block abc(std::string("ab\0c", 4));
  int32_t at = 1;
  EXPECT_EQ(TakeText(Data(abc.get(), 10, Referenced(&at))), "ab");
  EXPECT_EQ(at, 4);
  EXPECT_EQ(TakeText(Data(abc.get(), 10, Referenced(&at))), "c");
  EXPECT_EQ(at, -1);

  Block nul(std::string("\0\0x", 3));
  at = 1;
  EXPECT_EQ(TakeText(Data(nul.get(), 10, Referenced(&at))), "<null>");
  EXPECT_EQ(at, 2);  // an empty text still moves on by one

  Block eight(std::string(8, '\x11'));
  at = 1;
  EXPECT_EQ(Data(eight.get(), 3, Referenced(&at)).low, 0x11111111u);
  EXPECT_EQ(at, 5);
  Data(eight.get(), 3, Referenced(&at));
  EXPECT_EQ(at, -1);
}

TEST(GetBytesData, PositionsOutsideTheDataGiveTheZeroValue) {
  Block b("abcd");
  for (int32_t position : {0, -1, 5, INT32_MIN, INT32_MAX}) {
    ArgSlot v = Data(b.get(), 4, IntSlot(position));
    EXPECT_EQ(v.tag, TAG_INT64) << position;
    EXPECT_EQ(SlotBits(v), 0u) << position;
    int32_t at = position;
    EXPECT_EQ(TakeText(Data(b.get(), 10, Referenced(&at))), "<null>") << position;
    EXPECT_EQ(at, -1) << position;
  }
  int32_t at = 1;
  EXPECT_EQ(SlotBits(Data(&EmptyBytes, 3, Referenced(&at))), 0u);
  EXPECT_EQ(at, -1);
}

TEST(GetBytesData, AnUnknownTypeCodeIsRuntimeError100) {
  Block b("abcd");
  for (int32_t type : {0, 11, -1}) {
    testing_support::RunResult run = testing_support::RunAsProgram([&] { Data(b.get(), type); });
    EXPECT_FALSE(run.body_finished);
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "error");
    EXPECT_NE(run.boxes[0].text.find("number is 100."), std::string::npos);
  }
}

TEST(ByteSequences, BlankPointerAndElementCount) {
  OwnedBytes blank(CallLibrary(BlankBytes, {IntSlot(520)}));
  ASSERT_NE(blank.get(), nullptr);
  EXPECT_EQ(blank.get()->dimensions, 1);
  EXPECT_EQ(Contents(blank.get()), std::string(520, '\0'));
  EXPECT_EQ(ElementCount(blank.get()), 520);
  EXPECT_EQ(CallLibrary(BlankBytes, {IntSlot(0)}), nullptr);
  EXPECT_EQ(CallLibrary(BlankBytes, {IntSlot(-3)}), nullptr);

  const char source[] = "x\0y";
  OwnedBytes copy(CallLibrary(PointerToBytes, {PointerSlot(TAG_INT, source), IntSlot(3)}));
  EXPECT_EQ(Contents(copy.get()), std::string("x\0y", 3));
  EXPECT_EQ(CallLibrary(PointerToBytes, {PointerSlot(TAG_INT, nullptr), IntSlot(3)}), nullptr);
  EXPECT_EQ(CallLibrary(PointerToBytes, {PointerSlot(TAG_INT, source), IntSlot(0)}), nullptr);

  const int32_t matrix[] = {2, 3, 4, 7, 7};
  EXPECT_EQ(ElementCount(matrix), 12);
  EXPECT_EQ(ArrayElements(matrix), reinterpret_cast<const uint8_t*>(matrix + 3));
  const int32_t scalar[] = {0, 9};
  EXPECT_EQ(ElementCount(scalar), 1);
}

// ReadFileBytes against real files.
Bytes ReadFile(const char* name) { return CallLibrary(ReadFileBytes, {TextSlot(name)}); }

TEST(ReadFileBytes, WholeFilesAsStored) {
  { std::ofstream("rfb_empty", std::ios::binary | std::ios::trunc); }
  { std::ofstream("rfb_crlf", std::ios::binary | std::ios::trunc) << "\r\n"; }
  std::filesystem::create_directories("rfb_dir");
  std::remove("rfb_missing");

  EXPECT_EQ(ReadFile("rfb_missing"), nullptr);
  EXPECT_EQ(ReadFile("rfb_dir"), nullptr);
  OwnedBytes empty(ReadFile("rfb_empty"));
  ASSERT_NE(empty.get(), nullptr);  // an existing empty file is a block of length 0
  EXPECT_EQ(empty.get()->dimensions, 1);
  EXPECT_EQ(empty.get()->length, 0);
  OwnedBytes crlf(ReadFile("rfb_crlf"));
  EXPECT_EQ(Contents(crlf.get()), "\r\n");
}

// A file system whose size and read answers the test chooses.
struct FakeFile {
  platform::DWORD low = 0;
  platform::DWORD high = 0;
  platform::BOOL read_ok = platform::kTrue;
  platform::DWORD delivers = 0;
  int closes = 0;
};
FakeFile g_file;
platform::HANDLE const kFakeHandle = reinterpret_cast<platform::HANDLE>(0x44);

platform::Api FakeFileApi() {
  platform::Api api = platform::NativeApi();
  api.CreateFileA = [](const char*, platform::DWORD, platform::DWORD, void*, platform::DWORD,
                       platform::DWORD, platform::HANDLE) { return kFakeHandle; };
  api.GetFileSize = [](platform::HANDLE, platform::DWORD* high) {
    *high = g_file.high;
    return g_file.low;
  };
  api.ReadFile = [](platform::HANDLE, void* buffer, platform::DWORD count, platform::DWORD* read,
                    void*) {
    platform::DWORD n = g_file.delivers < count ? g_file.delivers : count;
    std::memset(buffer, 'r', n);
    *read = g_file.delivers;  // may claim more than asked
    return g_file.read_ok;
  };
  api.CloseHandle = [](platform::HANDLE h) {
    EXPECT_EQ(h, kFakeHandle);
    ++g_file.closes;
    return platform::kTrue;
  };
  return api;
}

Bytes ReadFake(FakeFile file) {
  g_file = file;
  platform::Api api = FakeFileApi();
  platform::ScopedApi use(api);
  Bytes result = ReadFile("any");
  EXPECT_EQ(g_file.closes, 1);
  return result;
}

TEST(ReadFileBytes, SizesThatDoNotFitAndFailedReadsGiveTheEmptyBytes) {
  EXPECT_EQ(ReadFake({.low = 5, .high = 1}), nullptr);  // 4 GiB + 5
  EXPECT_EQ(ReadFake({.low = platform::INVALID_FILE_SIZE}), nullptr);
  EXPECT_EQ(ReadFake({.low = 0x80000000u}), nullptr);
  EXPECT_EQ(ReadFake({.low = 10, .read_ok = platform::kFalse, .delivers = 4}), nullptr);
}

TEST(ReadFileBytes, AShortReadGivesWhatWasRead) {
  OwnedBytes shorter(ReadFake({.low = 10, .delivers = 4}));
  EXPECT_EQ(Contents(shorter.get()), "rrrr");
  OwnedBytes boasting(ReadFake({.low = 3, .delivers = 50}));  // never past the block
  EXPECT_EQ(Contents(boasting.get()), "rrr");
}

// RunProgram against a recording platform.
struct StartRecord {
  int creates = 0;
  std::string command_line;
  const char* application = "unset";
  platform::BOOL inherit = -1;
  platform::DWORD flags = 99;
  platform::STARTUPINFOA startup{};
  platform::BOOL result = platform::kTrue;
  std::vector<std::string> calls;
};
StartRecord g_start;
platform::HANDLE const kProcess = reinterpret_cast<platform::HANDLE>(0x100);
platform::HANDLE const kThread = reinterpret_cast<platform::HANDLE>(0x104);

platform::Api FakeStartApi() {
  platform::Api api = platform::NativeApi();
  api.GetStartupInfoA = [](platform::STARTUPINFOA* info) {
    std::memset(info, 0, sizeof *info);
    info->cb = sizeof *info;
    info->dwFlags = 0x100;  // STARTF_USESTDHANDLES of our own start
    info->hStdOutput = info->hStdError = reinterpret_cast<platform::HANDLE>(0x8);
    info->wShowWindow = 9;
  };
  api.CreateProcessA = [](const char* application, char* command_line, void*, void*,
                          platform::BOOL inherit, platform::DWORD flags, void* environment,
                          const char* directory, platform::STARTUPINFOA* startup,
                          platform::PROCESS_INFORMATION* info) {
    ++g_start.creates;
    g_start.application = application;
    g_start.command_line = command_line;
    g_start.inherit = inherit;
    g_start.flags = flags;
    g_start.startup = *startup;
    EXPECT_EQ(environment, nullptr);
    EXPECT_EQ(directory, nullptr);
    if (g_start.result != 0) {
      info->hProcess = kProcess;
      info->hThread = kThread;
    }
    return g_start.result;
  };
  api.WaitForSingleObject = [](platform::HANDLE h, platform::DWORD ms) {
    EXPECT_EQ(h, kProcess);
    EXPECT_EQ(ms, platform::INFINITE);
    g_start.calls.push_back("wait");
    return platform::DWORD{0};
  };
  api.CloseHandle = [](platform::HANDLE h) {
    g_start.calls.push_back(h == kProcess ? "close process" : h == kThread ? "close thread" : "?");
    return platform::kTrue;
  };
  return api;
}

bool Start(std::initializer_list<ArgSlot> slots, platform::BOOL creates = platform::kTrue) {
  g_start = StartRecord{};
  g_start.result = creates;
  platform::Api api = FakeStartApi();
  platform::ScopedApi use(api);
  return RunProgram(static_cast<int32_t>(slots.size()), slots.begin());
}

TEST(RunProgram, StartsTheCommandLineAsGivenWithoutStreamsAndWithAShowState) {
  const char* line = "\"C:\\a b\\c.exe\" --x=\xD6\xD0";
  EXPECT_TRUE(Start({TextSlot(line), BoolSlot(false), OmittedSlot()}));
  EXPECT_EQ(g_start.application, nullptr);
  EXPECT_EQ(g_start.command_line, line);
  EXPECT_EQ(g_start.inherit, platform::kTrue);
  EXPECT_EQ(g_start.flags, 0u);
  EXPECT_EQ(g_start.startup.dwFlags, platform::STARTF_USESHOWWINDOW);
  EXPECT_EQ(g_start.startup.hStdOutput, nullptr);
  EXPECT_EQ(g_start.startup.hStdError, nullptr);
  EXPECT_EQ(g_start.startup.wShowWindow, platform::SW_SHOW);
  EXPECT_EQ(g_start.calls, (std::vector<std::string>{"close process", "close thread"}));
}

TEST(RunProgram, WindowModes) {
  const std::pair<int32_t, int> modes[] = {
      {1, platform::SW_HIDE},           {2, platform::SW_SHOW},
      {3, platform::SW_SHOWMINIMIZED},  {4, platform::SW_SHOWMAXIMIZED},
      {5, platform::SW_SHOWNOACTIVATE}, {6, platform::SW_SHOWMINNOACTIVE},
      {0, platform::SW_SHOW},           {7, platform::SW_SHOW},
      {-1, platform::SW_SHOW}};
  for (auto [mode, show] : modes) {
    Start({TextSlot("p"), BoolSlot(false), IntSlot(mode)});
    EXPECT_EQ(g_start.startup.wShowWindow, show) << mode;
  }
  Start({TextSlot("p")});
  EXPECT_EQ(g_start.startup.wShowWindow, platform::SW_SHOW);
}

TEST(RunProgram, WaitsOnlyWhenAskedAndFailsWithNothingToClose) {
  EXPECT_TRUE(Start({TextSlot("p"), BoolSlot(true), OmittedSlot()}));
  EXPECT_EQ(g_start.calls, (std::vector<std::string>{"wait", "close process", "close thread"}));
  EXPECT_FALSE(Start({TextSlot("p"), BoolSlot(true), OmittedSlot()}, platform::kFalse));
  EXPECT_TRUE(g_start.calls.empty());
}

TEST(RunProgram, StartsRealPrograms) {
  const char* record = "run_program_record.bin";
  std::remove(record);
  std::string line = std::string("\"") + ZV_ARGS_RECORDER + "\" " + record + " sleep";
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(CallLibrary(RunProgram, {TextSlot(line.c_str()), BoolSlot(true), OmittedSlot()}));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_TRUE(std::filesystem::exists(record));
  EXPECT_FALSE(CallLibrary(
      RunProgram, {TextSlot("zv_no_such_program_at_all"), BoolSlot(false), OmittedSlot()}));
}

platform::DWORD g_slept;
TEST(Delay, SleepsOnlyForPositiveTimes) {
  platform::Api api = platform::NativeApi();
  api.Sleep = [](platform::DWORD ms) { g_slept += ms + 1; };
  platform::ScopedApi use(api);
  g_slept = 0;
  CallLibrary(Delay, {IntSlot(0)});
  CallLibrary(Delay, {IntSlot(-5)});
  EXPECT_EQ(g_slept, 0u);
  CallLibrary(Delay, {IntSlot(500)});
  EXPECT_EQ(g_slept, 501u);
}

}  // namespace

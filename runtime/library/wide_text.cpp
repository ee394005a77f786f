#include "runtime/library/wide_text.h"

#include <cstring>

#include "runtime/core/arguments.h"
#include "runtime/core/binding.h"
#include "runtime/core/error_report.h"
#include "runtime/core/memory.h"
#include "runtime/library/files.h"

namespace {

// Routine identifiers and statement positions of these operations' checks, as
// runtime error reports name them: fixed numbers each routine has always
// carried, so that a report reads the same in every build.
constexpr int32_t kRoutineBytesToTextChecked = 0x04013421;
constexpr int32_t kPositionTextTag = 155;
// Identifiers of routines whose checks cannot fail in this build: the
// conversions, and the choice of a special folder (an unknown kind means the
// desktop, so every kind is in range).
[[maybe_unused]] constexpr int32_t kRoutineSpecialFolderWide = 0x04013AC0;
[[maybe_unused]] constexpr int32_t kRoutineWideToText = 0x0401341F;
[[maybe_unused]] constexpr int32_t kRoutineTextToWide = 0x0401341E;

// 260 UTF-16 units: the size of the path buffers handed to the platform.
constexpr int32_t kPathBufferUnits = 260;
// No path the system gives is this long (its strings count their bytes in 16
// bits): a larger answer is a failure, not a size to fetch.
constexpr platform::DWORD kMostTempUnits = 0x10000;
constexpr int32_t kTextTypeCode = 10;

// Kinds of special folder: 1 to 10 take their csidl from the table below,
// the temporary-files folder has a call of its own, 12 and 13 have theirs.
// Any other kind means the desktop.
constexpr int32_t kDesktopKind = 3;
constexpr int32_t kTableKinds = 10;
constexpr int32_t kInternetCacheKind = 12;
constexpr int32_t kCommonAppDataKind = 13;
static_assert(kTempFolderKind == kTableKinds + 1);
// csidl of kinds 1 to 10.
constexpr int32_t kCsidlOfKind[kTableKinds] = {
    platform::CSIDL_PERSONAL, platform::CSIDL_FAVORITES, platform::CSIDL_DESKTOPDIRECTORY,
    platform::CSIDL_FONTS,    platform::CSIDL_STARTMENU, platform::CSIDL_PROGRAMS,
    platform::CSIDL_STARTUP,  platform::CSIDL_APPDATA,   platform::CSIDL_WINDOWS,
    platform::CSIDL_SYSTEM};

// A one-unit byte sequence laid out as a Bytes block.
struct UnitBytes {
  BytesHeader header;
  uint8_t data[2];
};
const UnitBytes kNulUnit = {{1, 2}, {0, 0}};
const struct {
  BytesHeader header;
  uint8_t data[1];
} kZeroByte = {{1, 1}, {0}};

Bytes WideSeparator() {
  static const UnitBytes separator = {{1, 2},
                                      {static_cast<uint8_t>(platform::kPathSeparator[0]), 0}};
  return &separator.header;
}

uint8_t* Data(Bytes bytes) { return const_cast<uint8_t*>(BytesData(bytes)); }

// Byte sequence to text: its bytes up to the first zero byte.
Text BytesToTextChecked(Bytes bytes) {
  ArgSlot value = CallLibrary(
      GetBytesData, {BytesSlot(BytesOrEmpty(bytes)), IntSlot(kTextTypeCode), OmittedSlot()});
  if (value.tag != TAG_TEXT)
    ReportRuntimeError(kErrorTypeMismatch, kRoutineBytesToTextChecked, kPositionTextTag);
  return static_cast<Text>(SlotPointer(value));
}

// Text to byte sequence: the text's bytes, without the NUL.
Bytes TextToBytes(Text text) { return CopyOfMemory(text, static_cast<int32_t>(TextLength(text))); }

// The folder of a csidl with exactly one trailing separator. It is built by
// joining rather than written into the platform's buffer, so that a folder of
// 259 units still fits.
Bytes FolderOfCsidl(int32_t csidl) {
  const platform::Api& os = platform::Os();
  OwnedBytes buffer(ZeroBytes(kPathBufferUnits * 2));
  if (os.SHGetSpecialFolderPathW(nullptr, WideUnits(buffer.get()), csidl, platform::kFalse) == 0)
    return nullptr;
  int32_t n = os.lstrlenW(WideUnits(buffer.get()));
  if (n <= 0 || n >= kPathBufferUnits) return nullptr;
  if (WideUnits(buffer.get())[n - 1] == static_cast<platform::WCHAR>(platform::kPathSeparator[0]))
    return CopyOfMemory(WideUnits(buffer.get()), 2 * n + 2);
  OwnedBytes units(CopyOfMemory(WideUnits(buffer.get()), 2 * n));
  return ConcatBytes({units.get(), WideSeparator(), &kNulUnit.header});
}

// The temporary-files folder as the platform gives it. One longer than the
// 260-unit buffer is fetched again into a buffer of the size it needs.
Bytes TempFolderWide() {
  const platform::Api& os = platform::Os();
  OwnedBytes buffer(ZeroBytes(kPathBufferUnits * 2));
  platform::DWORD n = os.GetTempPathW(kPathBufferUnits, WideUnits(buffer.get()));
  if (n >= static_cast<platform::DWORD>(kPathBufferUnits) && n < kMostTempUnits) {
    platform::DWORD size = n;
    buffer.Reset(ZeroBytes(static_cast<int32_t>(size) * 2));
    n = os.GetTempPathW(size, WideUnits(buffer.get()));
    if (n >= size) n = 0;
  }
  if (n == 0 || n >= kMostTempUnits) return nullptr;
  return CopyOfMemory(WideUnits(buffer.get()), static_cast<int32_t>(2 * n + 2));
}

// A copy of `wide` with exactly one NUL unit after its units.
Bytes Terminated(Bytes wide) { return ConcatBytes({BytesOrEmpty(wide), &kNulUnit.header}); }

}  // namespace

Text SpecialFolderText(int32_t kind, std::optional<int32_t> csidl) {
  OwnedBytes wide(SpecialFolderWide(kind, csidl));
  return WideToText(wide.get(), platform::kCodePageGbk);
}

Bytes SpecialFolderWide(int32_t kind, std::optional<int32_t> csidl) {
  if (csidl) return FolderOfCsidl(*csidl);
  if (kind < 1 || kind > kCommonAppDataKind) kind = kDesktopKind;
  if (kind == kTempFolderKind) return TempFolderWide();
  if (kind == kInternetCacheKind) return FolderOfCsidl(platform::CSIDL_INTERNET_CACHE);
  if (kind == kCommonAppDataKind) return FolderOfCsidl(platform::CSIDL_COMMON_APPDATA);
  return FolderOfCsidl(kCsidlOfKind[kind - 1]);
}

Text WideToText(Bytes wide, std::optional<int32_t> code_page) {
  const platform::Api& os = platform::Os();
  auto cp = static_cast<platform::UINT>(code_page.value_or(0));
  OwnedBytes joined(Terminated(wide));
  int size =
      os.WideCharToMultiByte(cp, 0, WideUnits(joined.get()), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return nullptr;
  OwnedBytes converted(ZeroBytes(size));
  char* bytes = reinterpret_cast<char*>(Data(converted.get()));
  if (os.WideCharToMultiByte(cp, 0, WideUnits(joined.get()), -1, bytes, size, nullptr, nullptr) <=
      0)
    return nullptr;
  size_t m = crt::strlen(bytes);
  OwnedBytes copy(CopyOfMemory(bytes, static_cast<int32_t>(m)));
  return BytesToTextChecked(copy.get());
}

Bytes TextToWide(Text path) {
  const platform::Api& os = platform::Os();
  OwnedBytes text_bytes(TextToBytes(path));
  OwnedBytes bytes(ConcatBytes({BytesOrEmpty(text_bytes.get()), &kZeroByte.header}));
  const char* source = reinterpret_cast<const char*>(BytesData(bytes.get()));
  if (crt::strlen(source) == 0) return nullptr;
  int k = os.MultiByteToWideChar(platform::kCodePageGbk, 0, source, -1, nullptr, 0);
  if (k <= 0 || k > 0x3FFFFFFF) return nullptr;
  OwnedBytes wide(ZeroBytes(2 * k));
  if (os.MultiByteToWideChar(platform::kCodePageGbk, 0, source, -1, WideUnits(wide.get()), k) <= 0)
    return nullptr;
  return wide.Take();
}

Bytes ConcatBytes(std::initializer_list<Bytes> parts) {
  int64_t total = 0;
  for (Bytes part : parts) total += BytesLength(part);
  if (total <= 0 || total > INT32_MAX - 8) return nullptr;
  BytesHeader* block = NewBytes(static_cast<int32_t>(total), false);
  uint8_t* at = Data(block);
  for (Bytes part : parts) {
    int32_t n = BytesLength(part);
    if (n > 0) std::memcpy(at, BytesData(part), static_cast<size_t>(n));
    at += n > 0 ? n : 0;
  }
  return block;
}

platform::WCHAR* WideUnits(Bytes wide) { return reinterpret_cast<platform::WCHAR*>(Data(wide)); }

Bytes ZeroBytes(int32_t length) { return CallLibrary(BlankBytes, {IntSlot(length)}); }

Bytes CopyOfMemory(const void* address, int32_t length) {
  return CallLibrary(PointerToBytes, {PointerSlot(TAG_INT, address), IntSlot(length)});
}

bool SameBytes(Bytes a, Bytes b) {
  int32_t length = BytesLength(a);
  return length == BytesLength(b) &&
         std::memcmp(BytesData(a), BytesData(b), static_cast<size_t>(length)) == 0;
}

#include "launcher/profile_folder.h"

#include <cstdlib>
#include <cstring>

#include "launcher/routine_ids.h"
#include "platform/platform.h"
#include "runtime/core/binding.h"
#include "runtime/core/error_report.h"
#include "runtime/core/memory.h"
#include "runtime/library/conversions.h"
#include "runtime/library/files.h"

namespace {

// 260 UTF-16 units: the size of the path buffers handed to the platform.
constexpr int32_t kPathBufferUnits = 260;
// Units kept of the entry an unsafe folder is refused for: a Linux path.
constexpr int32_t kCulpritUnits = 4096;
constexpr int32_t kSecondsWidth = 10;
constexpr int32_t kMillisecondsWidth = 3;
constexpr int32_t kTextTypeCode = 10;
// Names count seconds from 1970-01-01 08:00:00 local time: the Unix epoch in
// China's time zone (UTC+8), where the tool's users are; no zone is applied,
// so elsewhere the count is the Unix time shifted by the local offset.
constexpr char kEpochText[] = "1970-01-01 08:00:00";
constexpr char kPadText[] = "0";

// Kinds of special folder: 1 to 10 take their csidl from the table below,
// the temporary-files folder has a call of its own, 12 and 13 have theirs.
// Any other kind means the desktop.
constexpr int32_t kDesktopKind = 3;
enum FolderKind : int32_t {
  kTableKinds = 10,
  kTempFolderKind,
  kInternetCacheKind,
  kCommonAppDataKind
};
// csidl of kinds 1 to 10: documents, favourites, desktop, fonts, start menu,
// programs menu, startup menu, application data, Windows and system folder.
constexpr int32_t kCsidlOfKind[kTableKinds] = {5, 6, 16, 20, 11, 2, 7, 26, 36, 37};
constexpr int32_t kCsidlInternetCache = 32;
constexpr int32_t kCsidlCommonAppData = 35;

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
platform::WCHAR* Units(Bytes bytes) { return reinterpret_cast<platform::WCHAR*>(Data(bytes)); }

Bytes ZeroBytes(int32_t length) { return CallLibrary(BlankBytes, {IntSlot(length)}); }

Bytes CopyOf(const void* address, int32_t length) {
  return CallLibrary(PointerToBytes, {PointerSlot(TAG_INT, address), IntSlot(length)});
}

// Byte sequence to text: its bytes up to the first zero byte.
Text BytesToTextChecked(Bytes bytes) {
  ArgSlot value = CallLibrary(
      GetBytesData, {BytesSlot(BytesOrEmpty(bytes)), IntSlot(kTextTypeCode), OmittedSlot()});
  if (value.tag != TAG_TEXT)
    ReportRuntimeError(kErrorTypeMismatch, kRoutineBytesToTextChecked, kPositionTextTag);
  return static_cast<Text>(SlotPointer(value));
}

// Text to byte sequence: the text's bytes, without the NUL.
Bytes TextToBytes(Text text) { return CopyOf(text, static_cast<int32_t>(TextLength(text))); }

// The folder of a csidl with exactly one trailing separator. It is built by
// joining rather than written into the platform's buffer, so that a folder of
// 259 units still fits.
Bytes FolderOfCsidl(int32_t csidl) {
  const platform::Api& os = platform::Os();
  OwnedBytes buffer(ZeroBytes(kPathBufferUnits * 2));
  if (os.SHGetSpecialFolderPathW(nullptr, Units(buffer.get()), csidl, platform::kFalse) == 0)
    return nullptr;
  int32_t n = os.lstrlenW(Units(buffer.get()));
  if (n <= 0 || n >= kPathBufferUnits) return nullptr;
  if (Units(buffer.get())[n - 1] == static_cast<platform::WCHAR>(platform::kPathSeparator[0]))
    return CopyOf(Units(buffer.get()), 2 * n + 2);
  OwnedBytes units(CopyOf(Units(buffer.get()), 2 * n));
  return ConcatBytes({units.get(), WideSeparator(), &kNulUnit.header});
}

// The temporary-files folder as the platform gives it. One longer than the
// 260-unit buffer is fetched again into a buffer of the size it needs.
Bytes TempFolderWide() {
  const platform::Api& os = platform::Os();
  OwnedBytes buffer(ZeroBytes(kPathBufferUnits * 2));
  platform::DWORD n = os.GetTempPathW(kPathBufferUnits, Units(buffer.get()));
  if (n >= static_cast<platform::DWORD>(kPathBufferUnits) && n < 0x10000) {
    platform::DWORD size = n;
    buffer.Reset(ZeroBytes(static_cast<int32_t>(size) * 2));
    n = os.GetTempPathW(size, Units(buffer.get()));
    if (n >= size) n = 0;
  }
  if (n == 0 || n >= 0x10000) return nullptr;
  return CopyOf(Units(buffer.get()), static_cast<int32_t>(2 * n + 2));
}

bool IsDirectoryWide(Bytes wide) {
  platform::WCHAR* units = wide != nullptr ? Units(wide) : nullptr;
  return platform::Os().PathIsDirectoryW(units) ==
         static_cast<platform::BOOL>(platform::FILE_ATTRIBUTE_DIRECTORY);
}

bool SameBytes(Bytes a, Bytes b) {
  int32_t length = BytesLength(a);
  return length == BytesLength(b) &&
         std::memcmp(BytesData(a), BytesData(b), static_cast<size_t>(length)) == 0;
}

// A copy of `wide` with exactly one NUL unit after its units.
Bytes Terminated(Bytes wide) { return ConcatBytes({BytesOrEmpty(wide), &kNulUnit.header}); }

// Whether GBK writes every character of the wide path: its text names the
// same path again.
bool SurvivesGbk(Bytes wide) {
  OwnedText text(WideToText(wide, static_cast<int32_t>(platform::kCodePageGbk)));
  OwnedBytes back(TextToWide(text.get()));
  return SameBytes(back.get(), wide);
}

}  // namespace

Text TempFolderText() {
  OwnedBytes wide(SpecialFolderWide(kTempFolderKind));
  OwnedBytes usable(GbkWritableWide(wide.get()));
  return WideToText(usable.get() != nullptr ? usable.get() : wide.get(),
                    static_cast<int32_t>(platform::kCodePageGbk));
}

Text SpecialFolderText(int32_t kind, std::optional<int32_t> csidl) {
  OwnedBytes wide(SpecialFolderWide(kind, csidl));
  return WideToText(wide.get(), platform::kCodePageGbk);
}

Bytes SpecialFolderWide(int32_t kind, std::optional<int32_t> csidl) {
  if (csidl) return FolderOfCsidl(*csidl);
  if (kind < 1 || kind > kCommonAppDataKind) kind = kDesktopKind;
  if (kind == kTempFolderKind) return TempFolderWide();
  if (kind == kInternetCacheKind) return FolderOfCsidl(kCsidlInternetCache);
  if (kind == kCommonAppDataKind) return FolderOfCsidl(kCsidlCommonAppData);
  if (kind > kTableKinds)  // a choice outside the table
    ReportRuntimeError(kErrorChoiceIndex, kRoutineSpecialFolderWide, kPositionCsidlChoice);
  return FolderOfCsidl(kCsidlOfKind[kind - 1]);
}

Text WideToText(Bytes wide, std::optional<int32_t> code_page) {
  const platform::Api& os = platform::Os();
  auto cp = static_cast<platform::UINT>(code_page.value_or(0));
  OwnedBytes joined(Terminated(wide));
  if (os.lstrlenW(Units(joined.get())) <= 0) return nullptr;
  int size = os.WideCharToMultiByte(cp, 0, Units(joined.get()), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return nullptr;
  OwnedBytes converted(ZeroBytes(size));
  char* bytes = reinterpret_cast<char*>(Data(converted.get()));
  if (os.WideCharToMultiByte(cp, 0, Units(joined.get()), -1, bytes, size, nullptr, nullptr) <= 0)
    return nullptr;
  size_t m = crt::strlen(bytes);
  OwnedBytes copy(CopyOf(bytes, static_cast<int32_t>(m)));
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
  if (os.MultiByteToWideChar(platform::kCodePageGbk, 0, source, -1, Units(wide.get()), k) <= 0)
    return nullptr;
  return wide.Take();
}

Text MakeTimestamp(std::optional<DateTime> time, std::optional<bool> seconds_only,
                   std::optional<bool> pad_seconds) {
  DateTime t = time ? *time : CallLibrary(CurrentTime, {});
  platform::SYSTEMTIME parts{};
  platform::Os().VariantTimeToSystemTime(t, &parts);  // parts stay 0 when it fails

  OwnedText milliseconds(
      CallLibrary(ToText, {ShortSlot(static_cast<int16_t>(parts.wMilliseconds))}));
  OwnedText pad(RepeatText(
      kPadText, kMillisecondsWidth - static_cast<int32_t>(TextLength(milliseconds.get()))));
  milliseconds.Reset(ConcatTexts({pad.get(), milliseconds.get()}));

  DateTime epoch = CallLibrary(ToDateTime, {TextSlot(kEpochText)});
  double seconds =
      CallLibrary(TimeInterval, {DateTimeSlot(t), DateTimeSlot(epoch), IntSlot(kIntervalSeconds)});
  OwnedText seconds_text(CallLibrary(ToText, {DoubleSlot(seconds)}));
  auto length = static_cast<int32_t>(TextLength(seconds_text.get()));
  if (pad_seconds.value_or(false) && length < kSecondsWidth) {
    pad.Reset(RepeatText(kPadText, kSecondsWidth - length));
    seconds_text.Reset(ConcatTexts({pad.get(), seconds_text.get()}));
  }
  if (seconds_only.value_or(false)) return LeftText(seconds_text.get(), kSecondsWidth);
  return ConcatTexts({seconds_text.get(), milliseconds.get()});
}

bool DirectoryExists(Text path) {
  OwnedBytes wide(TextToWide(path));
  return IsDirectoryWide(wide.get());
}

bool CreateDirectoryPath(Text path) {
  const platform::Api& os = platform::Os();
  OwnedBytes wide(TextToWide(path));
  int32_t length = BytesLength(wide.get());
  const auto separator = static_cast<platform::WCHAR>(platform::kPathSeparator[0]);
  if (length >= 8) {
    auto* buffer = static_cast<platform::WCHAR*>(crt::malloc(static_cast<size_t>(length) + 2));
    if (buffer != nullptr) {
      crt::memset(buffer, 0, static_cast<size_t>(length));
      const platform::WCHAR* units = Units(wide.get());
      int separators = 0;
      // Each folder is made when the separator after it (or the end) is reached;
      // the part before the first separator (a drive, or the root) never is.
      for (int32_t i = 0; i <= (length - 2) / 2; ++i) {
        if (units[i] == 0) {
          os.CreateDirectoryW(buffer, nullptr);
          break;
        }
        if (units[i] == separator) {
          if (separators > 0) os.CreateDirectoryW(buffer, nullptr);
          ++separators;
        }
        buffer[i] = units[i];
      }
      crt::free(buffer);
    }
  }
  return IsDirectoryWide(wide.get());
}

bool MakeDirectory(Text path) {
  OwnedBytes wide(TextToWide(path));
  return wide.get() != nullptr && platform::Os().CreateDirectoryW(Units(wide.get()), nullptr) != 0;
}

Text NextTimestamp(Text stamp) {
  int64_t value = std::strtoll(TextOrEmpty(stamp), nullptr, 10);
  return CallLibrary(ToText, {Int64Slot(value + 1)});
}

bool NamesTempFolder(Text base) {
  if (base == nullptr) return false;
  OwnedBytes real(SpecialFolderWide(kTempFolderKind));
  OwnedBytes usable(GbkWritableWide(real.get()));
  OwnedBytes named(TextToWide(base));
  return usable.get() != nullptr && SameBytes(usable.get(), named.get());
}

Bytes GbkWritableWide(Bytes wide) {
  if (wide == nullptr) return nullptr;
  if (SurvivesGbk(wide)) return ConcatBytes({wide});
  const platform::Api& os = platform::Os();
  platform::DWORD size = os.GetShortPathNameW(Units(wide), nullptr, 0);
  if (size == 0 || size > 0x3FFFFFFF) return nullptr;
  OwnedBytes buffer(ZeroBytes(static_cast<int32_t>(size) * 2));
  platform::DWORD n = os.GetShortPathNameW(Units(wide), Units(buffer.get()), size);
  if (n == 0 || n >= size) return nullptr;
  OwnedBytes short_name(CopyOf(Units(buffer.get()), static_cast<int32_t>(2 * n + 2)));
  return SurvivesGbk(short_name.get()) ? short_name.Take() : nullptr;
}

int FolderStatus(Text path, OwnedText* culprit) {
  OwnedBytes wide(TextToWide(path));
  if (wide.get() == nullptr) return platform::kFolderMissing;
  OwnedBytes entry(ZeroBytes(culprit != nullptr ? kCulpritUnits * 2 : 0));
  platform::WCHAR* units = entry.get() != nullptr ? Units(entry.get()) : nullptr;
  int status = platform::Os().PrivateFolderStatus(Units(wide.get()), units,
                                                  units != nullptr ? kCulpritUnits : 0);
  if (status < platform::kFolderMissing && culprit != nullptr)
    culprit->Reset(WideToText(entry.get(), static_cast<int32_t>(platform::kCodePageGbk)));
  return status;
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

#include "launcher/profile_folder.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "runtime/core/arguments.h"
#include "runtime/core/binding.h"
#include "runtime/library/conversions.h"
#include "runtime/library/wide_text.h"

namespace {

// Units kept of the entry an unsafe folder is refused for: a Linux path.
constexpr int32_t kCulpritUnits = 4096;
constexpr int32_t kSecondsWidth = 10;
constexpr int32_t kMillisecondsWidth = 3;
// Names count seconds from 1970-01-01 08:00:00 local time: the Unix epoch in
// China's time zone (UTC+8), where the tool's users are; no zone is applied,
// so elsewhere the count is the Unix time shifted by the local offset.
constexpr char kEpochText[] = "1970-01-01 08:00:00";
constexpr char kPadText[] = "0";
// A wide path of fewer than three units ("R:", "/") holds no folder to make:
// in bytes, with its NUL unit.
constexpr int32_t kShortestWalkedBytes = 8;

constexpr char kFolderName[] = "zelmorvika";
// Names tried for the profile folder before giving up: a second of names.
constexpr int32_t kNamesToTry = 1000;

bool IsDirectoryWide(Bytes wide) {
  platform::WCHAR* units = wide != nullptr ? WideUnits(wide) : nullptr;
  return platform::Os().PathIsDirectoryW(units) ==
         static_cast<platform::BOOL>(platform::FILE_ATTRIBUTE_DIRECTORY);
}

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
  if (length >= kShortestWalkedBytes) {
    auto* buffer = static_cast<platform::WCHAR*>(crt::malloc(static_cast<size_t>(length)));
    if (buffer != nullptr) {
      crt::memset(buffer, 0, static_cast<size_t>(length));
      const platform::WCHAR* units = WideUnits(wide.get());
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
  return wide.get() != nullptr &&
         platform::Os().CreateDirectoryW(WideUnits(wide.get()), nullptr) != 0;
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
  platform::DWORD size = os.GetShortPathNameW(WideUnits(wide), nullptr, 0);
  if (size == 0 || size > 0x3FFFFFFF) return nullptr;
  OwnedBytes buffer(ZeroBytes(static_cast<int32_t>(size) * 2));
  platform::DWORD n = os.GetShortPathNameW(WideUnits(wide), WideUnits(buffer.get()), size);
  if (n == 0 || n >= size) return nullptr;
  OwnedBytes short_name(CopyOfMemory(WideUnits(buffer.get()), static_cast<int32_t>(2 * n + 2)));
  return SurvivesGbk(short_name.get()) ? short_name.Take() : nullptr;
}

int FolderStatus(Text path, OwnedText* culprit) {
  OwnedBytes wide(TextToWide(path));
  if (wide.get() == nullptr) return platform::kFolderMissing;
  OwnedBytes entry(ZeroBytes(culprit != nullptr ? kCulpritUnits * 2 : 0));
  platform::WCHAR* units = entry.get() != nullptr ? WideUnits(entry.get()) : nullptr;
  int status = platform::Os().PrivateFolderStatus(WideUnits(wide.get()), units,
                                                  units != nullptr ? kCulpritUnits : 0);
  if (status < platform::kFolderMissing && culprit != nullptr)
    culprit->Reset(WideToText(entry.get(), static_cast<int32_t>(platform::kCodePageGbk)));
  return status;
}

Refusal Judge(Text path, OwnedText& refused, bool must_exist) {
  OwnedText culprit;
  int status = FolderStatus(path, &culprit);
  if (status == platform::kFolderPrivate || (status == platform::kFolderMissing && !must_exist))
    return Refusal::kNone;
  if (culprit.get() == nullptr) culprit.Reset(ConcatTexts({path}));
  refused.Reset(culprit.Take());
  return status == platform::kFolderForeign ? Refusal::kForeign : Refusal::kUnsafe;
}

Refusal MakeProfileFolder(Text base, Text stamp, OwnedText& folder) {
  OwnedText parent(ConcatTexts({base, kFolderName, platform::Os().UserFolderSuffix()}));
  OwnedText name(ConcatTexts({stamp}));
  folder.Reset(ConcatTexts({parent.get(), platform::kPathSeparator, name.get()}));
  if (base == nullptr) return Refusal::kNotMade;
  if (!NamesTempFolder(base)) {
    folder.Reset(ConcatTexts({base}));
    return Refusal::kUnusableName;
  }
  if (Refusal refusal = Judge(parent.get(), folder, false); refusal != Refusal::kNone)
    return refusal;
  CreateDirectoryPath(parent.get());
  for (int32_t tries = 1; !MakeDirectory(folder.get()); ++tries) {
    if (tries == kNamesToTry || !DirectoryExists(folder.get())) {
      Refusal refusal = Judge(parent.get(), folder, false);
      return refusal != Refusal::kNone ? refusal : Refusal::kNotMade;
    }
    name.Reset(NextTimestamp(name.get()));
    folder.Reset(ConcatTexts({parent.get(), platform::kPathSeparator, name.get()}));
  }
  if (Refusal refusal = Judge(parent.get(), folder, true); refusal != Refusal::kNone)
    return refusal;
  return Judge(folder.get(), folder, true);
}

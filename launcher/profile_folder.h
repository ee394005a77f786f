// Naming and creating the profile folder: the temporary-files folder, the
// subfolder zelmorvika and a timestamp name, created with every missing parent.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "runtime/core/text.h"
#include "runtime/library/datetime.h"

// The temporary-files folder with a trailing separator; null when the
// platform gives none. Where GBK lacks characters of its name, it is named by
// its short name, when it has one.
Text TempFolderText();

// A special folder (kinds 1 to 13; others mean the desktop, 3), or the folder
// of `csidl` when given, with a trailing separator; null on failure.
Text SpecialFolderText(int32_t kind, std::optional<int32_t> csidl = {});
// The same as a wide path: UTF-16 units and one NUL unit; null on failure.
Bytes SpecialFolderWide(int32_t kind, std::optional<int32_t> csidl = {});

// UTF-16 to text in `code_page` (0, the system's, when omitted), and GBK text
// to UTF-16 through code page 936.
Text WideToText(Bytes wide, std::optional<int32_t> code_page = {});
Bytes TextToWide(Text path);

// Seconds from 1970-01-01 08:00:00 to `time` (now when omitted), then three
// millisecond digits; only the seconds (at most 10 bytes) when seconds_only;
// the seconds padded with zeros to 10 digits when pad_seconds.
Text MakeTimestamp(std::optional<DateTime> time = {}, std::optional<bool> seconds_only = {},
                   std::optional<bool> pad_seconds = {});

// Whether `path` names an existing directory.
bool DirectoryExists(Text path);

// Creates every folder of `path`, outermost first; whether it is a directory afterwards.
bool CreateDirectoryPath(Text path);

// Makes the folder `path` itself, which must not exist yet; whether it was made.
bool MakeDirectory(Text path);

// The timestamp of the next millisecond: the number `stamp` plus one.
Text NextTimestamp(Text stamp);

// Whether `base` (a result of TempFolderText) names the temporary-files folder
// itself: false when there is none, or when GBK cannot write its name (nor its
// short name): the default character stands in for them, naming another folder.
bool NamesTempFolder(Text base);

// The wide path in a form GBK writes whole: itself, or else its short (8.3)
// name; null when neither will do (no such path, or no short names).
Bytes GbkWritableWide(Bytes wide);

// Whether `path` may hold the user's browser profile: platform::kFolderMissing,
// kFolderPrivate, or kFolderUnsafe or kFolderForeign (a link, or a folder
// another user controls). Then `culprit`, when given, receives the entry at
// fault: a folder on the way, a link, or the folder itself.
int FolderStatus(Text path, OwnedText* culprit = nullptr);

// The sequences joined in order; null when their total length is 0.
Bytes ConcatBytes(std::initializer_list<Bytes> parts);

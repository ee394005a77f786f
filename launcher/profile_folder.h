// Where this run's profile folder goes and how it is made: the temporary-files
// folder, the tool's folder of the user's own in it and a timestamp name,
// created with every missing parent, and judged safe before any use.
#pragma once

#include <optional>

#include "runtime/core/text.h"
#include "runtime/library/datetime.h"

// Why no browser may be started on the profile folder: an entry on the way
// to it that is unsafe and the user's own, or another account's; no folder;
// a temporary-files folder GBK cannot name; a "%" a batch file would expand.
enum class Refusal { kNone, kUnsafe, kForeign, kNotMade, kUnusableName, kPercent };

// Makes this run's profile folder, fresh: below `base`, in the tool's folder
// of the user's own, named by `stamp` or, when that name is taken (two runs
// in one second, a clock set back), by the next millisecond's. `folder`
// receives the folder made, or the entry that is refused. The shared parent
// is judged before anything is made in it, and both again once the folder
// is made. A file at the name, or a path too long for the system, leaves the
// folder not made.
Refusal MakeProfileFolder(Text base, Text stamp, OwnedText& folder);

// Judges the folder at `path`: kNone when it is private, or missing and
// `must_exist` is false; otherwise the refusal, `refused` naming the entry at
// fault (the folder itself when the platform names none).
Refusal Judge(Text path, OwnedText& refused, bool must_exist);

// The temporary-files folder with a trailing separator; null when the
// platform gives none. Where GBK lacks characters of its name, it is named by
// its short name, when it has one.
Text TempFolderText();

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

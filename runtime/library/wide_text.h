// Wide (UTF-16) texts held in byte sequences: conversions from and to text,
// joining, and the special folders the system names. Like every runtime
// header, it keeps all the operations the runtime defines, whether this
// program calls them or not. The launcher calls all but SpecialFolderText.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "platform/platform.h"
#include "runtime/core/text.h"

// The special folder kind of the temporary-files folder.
inline constexpr int32_t kTempFolderKind = 11;

// A special folder (kinds 1 to 13; others mean the desktop, 3), or the folder
// of `csidl` when given, with a trailing separator; null on failure.
Text SpecialFolderText(int32_t kind, std::optional<int32_t> csidl = {});
// The same as a wide path: UTF-16 units and one NUL unit; null on failure.
Bytes SpecialFolderWide(int32_t kind, std::optional<int32_t> csidl = {});

// UTF-16 to text in `code_page` (0, the system's, when omitted), and GBK text
// to UTF-16 through code page 936.
Text WideToText(Bytes wide, std::optional<int32_t> code_page = {});
Bytes TextToWide(Text path);

// The sequences joined in order; null when their total length is 0.
Bytes ConcatBytes(std::initializer_list<Bytes> parts);

// Helpers of the operations above, for the launcher's path handling.
// The UTF-16 units a byte sequence holds.
platform::WCHAR* WideUnits(Bytes wide);
// A zero-filled sequence of `length` bytes, and a copy of `length` bytes at `address`.
Bytes ZeroBytes(int32_t length);
Bytes CopyOfMemory(const void* address, int32_t length);
// Whether two sequences hold the same bytes.
bool SameBytes(Bytes a, Bytes b);

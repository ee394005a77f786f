// Files and byte sequences: whole-file reading, blank and copied byte
// sequences, and reading typed values out of a byte sequence. Like every
// runtime header, it keeps all the operations the runtime defines, whether
// this program calls them or not. The launcher calls all four.
#pragma once

#include <cstdint>

#include "runtime/core/arguments.h"
#include "runtime/core/text.h"

// Library operations (argument records).
Bytes ReadFileBytes(int32_t count, const ArgSlot* args);   // file name
Bytes BlankBytes(int32_t count, const ArgSlot* args);      // length
Bytes PointerToBytes(int32_t count, const ArgSlot* args);  // address, length
ArgSlot GetBytesData(int32_t count, const ArgSlot* args);  // bytes, type code, position

// Byte sequences, whole-file reading, starting programs and delays.
#pragma once

#include <cstdint>

#include "runtime/core/text.h"

// Library operations (argument records).
Bytes ReadFileBytes(int32_t count, const ArgSlot* args);   // file name
bool RunProgram(int32_t count, const ArgSlot* args);       // command line, wait, window mode
void Delay(int32_t count, const ArgSlot* args);            // milliseconds
Bytes BlankBytes(int32_t count, const ArgSlot* args);      // length
Bytes PointerToBytes(int32_t count, const ArgSlot* args);  // address, length
ArgSlot GetBytesData(int32_t count, const ArgSlot* args);  // bytes, type code, position

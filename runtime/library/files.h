// Byte sequences, whole-file reading, starting programs and delays.
#pragma once

#include <cstdint>

#include "runtime/core/text.h"

// Elements of an array block: the product of its dimension sizes, 1 when it
// has fewer than one dimension. For a Bytes block, its length.
int64_t ElementCount(const void* block);
// First element of an array block (after the dimension sizes).
const uint8_t* ArrayElements(const void* block);

// Library operations (argument records).
Bytes ReadFileBytes(int32_t count, const ArgSlot* args);    // file name
bool RunProgram(int32_t count, const ArgSlot* args);        // command line, wait, window mode
void Delay(int32_t count, const ArgSlot* args);             // milliseconds
Bytes BlankBytes(int32_t count, const ArgSlot* args);       // length
Bytes PointerToBytes(int32_t count, const ArgSlot* args);   // address, length
ArgSlot GetBytesData(int32_t count, const ArgSlot* args);   // bytes, type code, position

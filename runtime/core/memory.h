// Heap memory of the runtime: the blocks texts, byte sequences and buffers
// live in. Like every runtime header, it keeps all the operations the runtime
// defines, whether this program calls them or not. The launcher and the
// runtime allocate with AllocZeroed and release through Owned (FreeBlock);
// only the runtime's text operations call AllocBlock, and only start-up
// CacheProcessHeap.
#pragma once

#include <cstdint>

// Takes the process heap once the run has started (start-up calls it), so that
// every later block comes from it.
void CacheProcessHeap();

// Heap blocks. Both never return null: exhaustion shows a message and ends the run.
void* AllocZeroed(uint32_t size);
void* AllocBlock(uint32_t size);

// Releases a heap block. Values up to 0xFFFF, addresses inside the program
// image (literals) and unreadable addresses are ignored.
void FreeBlock(const void* block);

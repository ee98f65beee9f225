#pragma once
// The process heap the reader allocates from. Tests make allocations fail on demand so that
// every out-of-memory path runs.
#include <cstddef>

#include "platform/win32_types.h"

// Returns a block of at least `size` bytes (a zero size gives a valid block), or nullptr when the
// heap is exhausted or a failure was injected.
void* HeapAllocBlock(size_t size);
// Releases a block from HeapAllocBlock or LocalAlloc; nullptr is ignored.
void HeapFreeBlock(void* block);

// Local memory for blocks handed to the clipboard. Flags 2 (LMEM_MOVEABLE) are accepted and
// change nothing: blocks never move.
constexpr UINT LMEM_MOVEABLE = 0x2;
void* LocalAlloc(UINT flags, size_t size);
void* LocalFree(void* block);
// The usable size of a block from LocalAlloc or HeapAllocBlock, at least the size asked for.
size_t LocalSize(const void* block);

// Failure injection. After SetHeapFailure(n, k) the n-th allocation from now (1 = the next one)
// fails, and so do the k - 1 after it; n = 0 turns injection off.
void SetHeapFailure(unsigned nth, unsigned count = 1);
// Number of allocations made so far, for tests that want to aim at a later one.
unsigned HeapAllocationCount();
// Blocks allocated and not yet released, for tests that check an operation leaves none behind.
long HeapBlocksInUse();

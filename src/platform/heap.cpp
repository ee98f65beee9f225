#include "platform/heap.h"

#include <malloc.h>

#include <cstdlib>

namespace {
unsigned gAllocations = 0;
unsigned gFailFrom = 0;  // absolute allocation number of the first failure, 0 = none
unsigned gFailCount = 0;
long gInUse = 0;  // blocks handed out and not yet released
}  // namespace

void* HeapAllocBlock(size_t size) {
    ++gAllocations;
    if (gFailFrom != 0 && gAllocations >= gFailFrom && gAllocations < gFailFrom + gFailCount)
        return nullptr;
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block) ++gInUse;
    return block;
}

void HeapFreeBlock(void* block) {
    if (block) --gInUse;
    std::free(block);
}

void* LocalAlloc(UINT, size_t size) { return HeapAllocBlock(size); }

void* LocalFree(void* block) {
    HeapFreeBlock(block);
    return nullptr;
}

size_t LocalSize(const void* block) {
    return block ? malloc_usable_size(const_cast<void*>(block)) : 0;
}

void SetHeapFailure(unsigned nth, unsigned count) {
    gFailFrom = nth == 0 ? 0 : gAllocations + nth;
    gFailCount = count;
}

unsigned HeapAllocationCount() { return gAllocations; }

long HeapBlocksInUse() { return gInUse; }

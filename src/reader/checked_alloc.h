#pragma once
// Heap allocation for the reader's buffers that tells the user when the heap is exhausted.
#include <cstddef>

// A heap block, or nullptr after telling the user and saving the settings (the program then
// ends at the next turn of the message loop).
void* CheckedAlloc(size_t size);

#include "reader/checked_alloc.h"

#include "platform/heap.h"
#include "platform/user/user.h"
#include "reader/settings.h"

void* CheckedAlloc(size_t size) {
    void* block = HeapAllocBlock(size);
    if (block) return block;
    MessageBox(nullptr, u"There is not enough memory, aborting", u"Error", MB_ICONSTOP);
    ShutdownSave();
    return nullptr;
}

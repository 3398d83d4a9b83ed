// Heap objects created with new live in a heap themselves: in "HeapForHeaps",
// or in the heap named by the placement argument. The operators are noexcept,
// so a failed allocation makes the new-expression yield null (no constructor
// runs), which is how this memory manager reports failure everywhere.

#include "heap/block_layout.h"
#include "heap/heap.h"

// Small blocks are aligned to 4 bytes (their header is 4 bytes), big blocks
// to a pointer: where pointers are 8 bytes, a heap object takes a big block,
// shrunk in place to its size.
static void* AllocHeapObject(NH_Heap* heap, size_t size) {
    const uint32_t largestSmall = kLargestSmallBlock - kSmallHeaderSize;
    if (alignof(NH_Heap) <= kSmallHeaderSize || size > largestSmall)
        return heap->AllocMem(static_cast<uint32_t>(size));
    void* block = heap->AllocMem(largestSmall + 1);
    return block ? heap->ReAlloc(block, static_cast<uint32_t>(size), 0) : nullptr;
}

void* NH_AHeap::operator new(size_t size) noexcept {
    return AllocHeapObject(&HeapForHeaps, size);
}

void* NH_AHeap::operator new[](size_t size) noexcept {
    return AllocHeapObject(&HeapForHeaps, size);
}

void* NH_AHeap::operator new(size_t size, NH_Heap* heap) noexcept {
    return AllocHeapObject(heap, size);
}

void* NH_AHeap::operator new[](size_t size, NH_Heap* heap) noexcept {
    return AllocHeapObject(heap, size);
}

void NH_AHeap::operator delete(void* block) {
    HeapForHeaps.FreeMem(block); // FreeMem finds the block's own heap
}

void NH_AHeap::operator delete[](void* block) {
    HeapForHeaps.FreeMem(block);
}

void NH_AHeap::operator delete(void* block, NH_Heap* heap) {
    heap->FreeMem(block);
}

void NH_AHeap::operator delete[](void* block, NH_Heap* heap) {
    heap->FreeMem(block);
}

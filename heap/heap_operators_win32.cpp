// Heap objects created with new live in a heap themselves: in "HeapForHeaps",
// or in the heap named by the placement argument. The operators are noexcept,
// so a failed allocation makes the new-expression yield null (no constructor
// runs), which is how this memory manager reports failure everywhere.

#include "heap/heap.h"

void* NH_AHeap::operator new(size_t size) noexcept {
    return HeapForHeaps.AllocMem(static_cast<uint32_t>(size));
}

void* NH_AHeap::operator new[](size_t size) noexcept {
    return HeapForHeaps.AllocMem(static_cast<uint32_t>(size));
}

void* NH_AHeap::operator new(size_t size, NH_Heap* heap) noexcept {
    return heap->AllocMem(static_cast<uint32_t>(size));
}

void* NH_AHeap::operator new[](size_t size, NH_Heap* heap) noexcept {
    return heap->AllocMem(static_cast<uint32_t>(size));
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

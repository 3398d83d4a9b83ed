#pragma once
// A heap of blocks of one size, without block headers: page sets of one
// granularity unit carved from the bottom up, each with a chain of its free
// blocks (by offset from the page set start), and a list of the page sets
// that have free blocks. When every block is freed, one page set is kept for
// reuse and the others go back to the system.

#include <cstdint>

#include "heap/heap.h"

// Page-set header (40 bytes): the general page-set header, then the free chain
// and the links of the list of page sets with free blocks.
struct NH_OneSizePageSet {
    NH_PageSet _base;
    uint32_t _firstFree; // offset of the first free block; 0: none
    NH_OneSizePageSet* _nextWithFree;
    NH_OneSizePageSet* _prevWithFree;
};

class NH_EXPORT NH_HeapOneSize : public NH_AHeap {
public:
    // Blocks of size bytes (at least 4, rounded up to a multiple of 4); the
    // name is not stored.
    NH_HeapOneSize(uint32_t size, int32_t flags, const char* name);

    // Gives back every page set; every block is invalid afterwards.
    void Clear() override;

    void InitHeapOneSize(uint32_t size);

    // One block; callers pass the constructor's size (a larger one, or a
    // block that cannot fit in a page set, gives null). Null when memory
    // runs out and the out-of-memory handling gives up.
    void* AllocMem(uint32_t size);
    // Frees a block of any NH_HeapOneSize (found from the block); null does nothing.
    void FreeMem(void* block);

    uint32_t _blockSize;                  // multiple of 4, at least 4
    NH_OneSizePageSet* _pageSetsWithFree; // page sets that have free blocks

private:
    void* TakeFreeBlock();
    void* CarveBlock();
    void FreeBlock(NH_OneSizePageSet* pageSet, char* block);
    void UnlinkWithFree(NH_OneSizePageSet* pageSet);
};

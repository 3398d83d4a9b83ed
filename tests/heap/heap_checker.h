#pragma once
// Test support: a full consistency check of an NH_Heap and a census of its
// blocks. They take no lock: call them only while no other thread uses the
// heap. Their own memory comes from a private heap, so they may check the
// heap behind the global allocation. Cheap enough to run every few stress steps.

#include <gtest/gtest.h>

#include <cstdint>

#include "heap/heap.h"

struct HeapCensus {
    uint32_t pageSets = 0;     // small-block page sets, kept ones excluded
    uint32_t keptPageSets = 0; // emptied ones kept for reuse
    uint32_t smallInUse = 0;
    uint32_t smallFree = 0;
    uint32_t bigPageSets = 0;
    uint32_t bigInUse = 0;
    uint32_t bigFree = 0;
    uint32_t virtualBlocks = 0;
};

// Verifies every structural invariant of the heap: page-set headers and
// links, the carved blocks and their in-use counts, every free small block
// on exactly the free list of its class, the alternative-block list, the
// boundary tags of the big page sets (equal at both ends, no two adjacent
// free blocks, counts), every free big block on the free list exactly once.
// Returns success, or failure with a message naming the first fault found.
::testing::AssertionResult CheckHeap(const NH_Heap& heap);

// Counts page sets and blocks; meaningful only for a heap that CheckHeap accepts.
HeapCensus TakeCensus(const NH_Heap& heap);

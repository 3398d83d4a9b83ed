// BypassFreeing with null switches freeing off for every general heap of the
// process for good, so it has a program of its own.

#include <gtest/gtest.h>

#include <cstdlib>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_one_size.h"
#include "heap/heap_services.h"
#include "tests/heap/heap_checker.h"
#include "tests/heap/opaque_pointer.h"

namespace {

TEST(GlobalBypass, FreeingAnyGeneralHeapsBlockLeavesItAllocated) {
    NH_Heap heap(0, "general");
    NH_HeapOneSize oneSize(32, 0, "one size");
    void* small = heap.AllocMem(20);
    void* big = heap.AllocMem(5000);
    void* virtualBlock = heap.AllocWithReserve(100000, 10, 0);
    NH_SmallBlock* global = Opaque(SmallBlockOf(malloc(20)));
    void* fixed = oneSize.AllocMem(32);

    BypassFreeing(nullptr);
    EXPECT_EQ(1, NH_AHeap::_globalBypassFree);
    heap.FreeMem(small);
    heap.FreeMem(big);
    heap.FreeMem(virtualBlock);
    free(UserOf(global));
    oneSize.FreeMem(fixed); // the fixed-size heap honours only its own flag

    HeapCensus census = TakeCensus(heap);
    EXPECT_EQ(1u, census.smallInUse);
    EXPECT_EQ(1u, census.bigInUse);
    EXPECT_EQ(1u, census.virtualBlocks);
    EXPECT_EQ(0, global->_status);
    EXPECT_EQ(fixed, oneSize.AllocMem(32));
}

} // namespace

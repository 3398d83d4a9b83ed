// The threads' caches of free small blocks in front of a thread-safe static
// heap: what they hold goes back when the thread ends or moves to another
// heap, Clear makes every thread forget its cached blocks, and the checker
// sees the heap whole throughout.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/thread_cache.h"
#include "tests/heap/heap_checker.h"

namespace {

// Static storage: only such heaps get thread caches.
NH_Heap firstHeap(NH_THREAD_SAFE, "first");
NH_Heap secondHeap(NH_THREAD_SAFE, "second");

std::vector<void*> AllocMany(NH_Heap& heap, uint32_t count, uint32_t size) {
    std::vector<void*> blocks;
    for (uint32_t i = 0; i < count; ++i)
        blocks.push_back(heap.AllocMem(size + i % 200));
    return blocks;
}

void FreeAll(NH_Heap& heap, const std::vector<void*>& blocks) {
    for (void* block : blocks)
        heap.FreeMem(block);
}

// Everything freed and no thread holding anything: no block in use, and no
// page set but the current one (the others were kept or given back).
void ExpectEmpty(NH_Heap& heap) {
    ASSERT_TRUE(CheckHeap(heap));
    HeapCensus census = TakeCensus(heap);
    EXPECT_EQ(0u, census.smallInUse);
    EXPECT_EQ(1u, census.pageSets);
}

TEST(ThreadCache, AThreadGivesItsBlocksBackWhenItEnds) {
    std::vector<void*> fromMain = AllocMany(firstHeap, 3000, 16);
    NH_GiveBackThreadCache(&firstHeap); // what the refills took beyond the blocks
    std::thread worker([&] {
        FreeAll(firstHeap, fromMain); // blocks of another thread
        FreeAll(firstHeap, AllocMany(firstHeap, 3000, 300));
        ASSERT_TRUE(CheckHeap(firstHeap)); // its own cache seen as free
    });
    worker.join();
    ExpectEmpty(firstHeap);
    firstHeap.Clear();
}

TEST(ThreadCache, MovingToAnotherHeapGivesTheBlocksBack) {
    FreeAll(firstHeap, AllocMany(firstHeap, 50, 40));
    for (int i = 0; i < 200; ++i) // enough operations on another heap to move there
        secondHeap.FreeMem(secondHeap.AllocMem(40));
    ExpectEmpty(firstHeap);
    firstHeap.Clear();
    secondHeap.Clear();
}

TEST(ThreadCache, AfterClearNoThreadHandsOutABlockOfTheGoneMemory) {
    std::vector<void*> blocks = AllocMany(firstHeap, 2000, 24);
    std::thread holder([&] { FreeAll(firstHeap, blocks); }); // into its cache; gone at its end
    holder.join();
    FreeAll(firstHeap, AllocMany(firstHeap, 2000, 24)); // into this thread's cache
    firstHeap.Clear();
    std::vector<void*> fresh = AllocMany(firstHeap, 2000, 24);
    for (void* block : fresh)
        std::memset(block, 0x5A, 24); // a block of released memory would fault here
    ASSERT_TRUE(CheckHeap(firstHeap));
    EXPECT_EQ(2000u, TakeCensus(firstHeap).smallInUse);
    firstHeap.Clear();
}

TEST(ThreadCache, CachedBlocksAreNotVisitedAndOutOfMemoryTakesThemBack) {
    std::vector<void*> blocks = AllocMany(firstHeap, 100, 64);
    FreeAll(firstHeap, std::vector<void*>(blocks.begin() + 1, blocks.end()));
    int visited = 0;
    firstHeap.ForEach([](void*, void* count) { ++*static_cast<int*>(count); }, &visited);
    EXPECT_EQ(1, visited);
    firstHeap.FreeMem(blocks[0]);
    // The heap's out-of-memory handling gives spare memory back first, this
    // thread's cache included.
    firstHeap._fpOutOfMemory = [] { return 0; };
    int (*failAll)(NH_OsRequest, uint32_t) = [](NH_OsRequest, uint32_t) { return 1; };
    NH_fpFailMemoryRequest = failAll;
    EXPECT_EQ(nullptr, firstHeap.AllocMem(2000));
    NH_fpFailMemoryRequest = nullptr;
    firstHeap._fpOutOfMemory = nullptr;
    ExpectEmpty(firstHeap);
    firstHeap.Clear();
}

// A refill whose first page set is refused once, and that succeeds when the
// out-of-memory handling (which gives the cached blocks back) has the
// request retried, fills the cache it started with.
int requestsBeforeFailure = -1;

TEST(ThreadCache, ARefillRetriedAfterOutOfMemoryFillsTheBoundCache) {
    firstHeap.Clear(); // no small-block page set
    firstHeap._fpOutOfMemory = [] { return 1; };
    requestsBeforeFailure = 1; // the next page set: reserved, then refused its commit
    NH_fpFailMemoryRequest = [](NH_OsRequest, uint32_t) -> int {
        return requestsBeforeFailure-- == 0;
    };
    void* small = firstHeap.AllocMem(0);
    NH_fpFailMemoryRequest = nullptr;
    firstHeap._fpOutOfMemory = nullptr;
    ASSERT_NE(nullptr, small);
    EXPECT_TRUE(CheckHeap(firstHeap));
    firstHeap.FreeMem(small);
    firstHeap.Clear();
}

} // namespace

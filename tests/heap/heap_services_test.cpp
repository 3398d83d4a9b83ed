// Heap services: the per-thread default heap, the class operators of the
// heaps, the out-of-memory handling (called directly; the exhaustion test
// drives it through real failures), bypassing, the fixed-size heap and the
// memory tests. Block utilities and virtual blocks have their own file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_one_size.h"
#include "heap/heap_services.h"
#include "heap/process_state.h"
#include "tests/heap/heap_checker.h"

namespace {

NH_Heap* DefaultOfNewThread() {
    NH_Heap* seen = nullptr;
    std::thread([&] { seen = NH_Heap::GetDefault(); }).join();
    return seen;
}

// Regions of the lower 2 GB that the dynamic-memory map marks.
int CountDynamicRegions() {
    int count = 0;
    for (uintptr_t region = 0; region < 0x8000; ++region)
        count += NH_IsBlockInDynamicMemory(reinterpret_cast<void*>(region << 16)) != 0;
    return count;
}

// ---- Default heap ----

TEST(DefaultHeap, AThreadThatNeverSwitchedGetsDefaultHeap) {
    EXPECT_EQ(&DefaultHeap, DefaultOfNewThread());
}

TEST(DefaultHeap, SwitchersNestAndRestoreInReverseOrder) {
    NH_Heap outer(0, "outer"), inner(0, "inner");
    NH_Heap* before = NH_Heap::GetDefault();
    {
        NH_HeapSwitcher first(&outer);
        EXPECT_EQ(&outer, NH_Heap::GetDefault());
        EXPECT_EQ(&DefaultHeap, DefaultOfNewThread()); // only the calling thread switched
        {
            NH_HeapSwitcher second(&inner);
            EXPECT_EQ(&inner, NH_Heap::GetDefault());
        }
        EXPECT_EQ(&outer, NH_Heap::GetDefault());
    }
    EXPECT_EQ(before, NH_Heap::GetDefault());
}

// ---- Class operators ----

// The heap a block of either kind belongs to.
NH_AHeap* OwnerOf(void* block) {
    return IsAltBlock(block) ? AltHeaderOf(block)->_heap : PageSetOf(block)->_heap;
}

TEST(HeapOperators, HeapObjectsLiveInHeapForHeapsOrInTheHeapGiven) {
    NH_Heap* made = new NH_Heap(0, "made");
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(&HeapForHeaps, OwnerOf(made));
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(made) % alignof(NH_Heap));
    EXPECT_EQ(0u, made->_flags & NH_STATIC_HEAP); // it lies in this manager's memory
    EXPECT_NE(nullptr, made->AllocMem(100));

    NH_HeapOneSize* placed = new (made) NH_HeapOneSize(16, 0, "placed");
    ASSERT_NE(nullptr, placed);
    EXPECT_EQ(made, OwnerOf(placed));
    delete placed;
    HeapCensus census = TakeCensus(*made);
    EXPECT_EQ(1u, census.smallInUse + census.bigInUse); // the block of 100 bytes only

    NH_Heap* array = new NH_Heap[2]{{0, "a"}, {0, "b"}};
    // The block starts with the array's element count.
    EXPECT_EQ(&HeapForHeaps, OwnerOf(reinterpret_cast<char*>(array) - sizeof(size_t)));
    delete[] array;
    delete made;
    EXPECT_TRUE(CheckHeap(HeapForHeaps));
}

// ---- Out-of-memory handling ----

std::string events;
void EmergencyCallback() {
    events += 'E';
}
int HeapCallbackRetry() {
    events += 'H';
    return 1;
}
int HeapCallbackGiveUp() {
    events += 'h';
    return 0;
}
void NewHandler() {
    events += 'N';
}

class OutOfMemory : public ::testing::Test {
protected:
    void SetUp() override { events.clear(); }
    void TearDown() override {
        std::set_new_handler(nullptr);
        NH_AHeap::_fpEmergencyCallback = nullptr;
        while (NH_TakeEmergencyReserveForTest()) {
        }
    }
    // Drops any reserve left by a test; 1 while there was one.
    static int NH_TakeEmergencyReserveForTest() {
        uint32_t committed;
        void* base = NH_TakeEmergencyReserve(&committed);
        if (base) NH_ReleaseRegion(base, NH_constants.granularity);
        return base != nullptr;
    }
};

TEST_F(OutOfMemory, HandlingTriesReserveThenHeapCallbackThenNewHandler) {
    struct Case {
        bool reserve;
        int (*heapCallback)();
        uint32_t flags;
        bool newHandler;
        int result;
        const char* events;
    } cases[] = {
        {true, HeapCallbackRetry, 0, true, 1, "E"},
        {false, HeapCallbackRetry, 0, true, 1, "H"},
        {false, HeapCallbackGiveUp, 0, true, 0, "h"},
        {false, nullptr, 0, true, 1, "N"},
        {false, nullptr, NH_NO_NEW_HANDLER, true, 0, ""},
        {false, nullptr, 0, false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.events);
        NH_Heap heap(static_cast<int32_t>(c.flags), "oom");
        heap._fpOutOfMemory = c.heapCallback;
        std::set_new_handler(c.newHandler ? NewHandler : nullptr);
        if (c.reserve) {
            ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(8192, EmergencyCallback));
        }
        events.clear();
        EXPECT_EQ(c.result, heap.HandleOutOfMemory());
        EXPECT_EQ(c.events, events);
    }
}

TEST_F(OutOfMemory, TheReserveServesOnceThenTheNextHandlerApplies) {
    NH_Heap heap(0, "oom");
    heap._fpOutOfMemory = HeapCallbackGiveUp;
    int regions = CountDynamicRegions();
    ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(4096, EmergencyCallback));
    EXPECT_EQ(regions + 1, CountDynamicRegions());
    EXPECT_EQ(1, heap.HandleOutOfMemory());
    EXPECT_EQ(regions, CountDynamicRegions()); // the reserve went back to the system
    EXPECT_EQ(0, heap.HandleOutOfMemory());
    EXPECT_EQ("Eh", events);
}

TEST_F(OutOfMemory, ANewReserveReplacesTheOldOne) {
    int regions = CountDynamicRegions();
    ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(4096, EmergencyCallback));
    ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(200000, nullptr)); // limited to 64 KB
    EXPECT_EQ(regions + 1, CountDynamicRegions());
    EXPECT_EQ(nullptr, NH_AHeap::_fpEmergencyCallback);
    uint32_t committed = 0;
    void* base = NH_TakeEmergencyReserve(&committed);
    ASSERT_NE(nullptr, base);
    EXPECT_EQ(65536u, committed);
    NH_ReleaseRegion(base, NH_constants.granularity);
    EXPECT_EQ(nullptr, NH_TakeEmergencyReserve(&committed));
}

TEST_F(OutOfMemory, ReserveSizesAreRoundedUpToAPage) {
    for (uint32_t size : {0u, 1u, 4096u, 5000u}) {
        ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(size, EmergencyCallback));
        events.clear();
        uint32_t committed = 1;
        void* base = NH_TakeEmergencyReserve(&committed);
        ASSERT_NE(nullptr, base);
        EXPECT_EQ(RoundUp(size, 4096), committed) << size;
        EXPECT_EQ("E", events); // taking the reserve calls the callback
        NH_ReleaseRegion(base, NH_constants.granularity);
    }
}

TEST_F(OutOfMemory, TheMtVariantLeavesTheLockAndTakesItBackOnlyForARetry) {
    NH_Heap heap(NH_THREAD_SAFE, "locked");
    for (auto callback : {HeapCallbackRetry, HeapCallbackGiveUp}) {
        heap._fpOutOfMemory = callback;
        heap.Lock();
        int retry = heap.HandleOutOfMemoryMT();
        EXPECT_EQ(retry ? 1 : 0, heap._lock.recursionCount);
        if (retry) heap.Unlock();
    }
    EXPECT_EQ("Hh", events);
}

TEST_F(OutOfMemory, ACallbackThatThrowsLeavesNoLockHeld) {
    NH_Heap heap(NH_THREAD_SAFE, "throwing");
    std::set_new_handler([] { throw std::bad_alloc(); });
    heap.Lock();
    EXPECT_THROW(heap.HandleOutOfMemoryMT(), std::bad_alloc);
    bool entered = false;
    std::thread([&] {
        NH_GlobalLock global;
        heap.Lock();
        entered = true;
        heap.Unlock();
    }).join();
    EXPECT_TRUE(entered);
}

// ---- Bypassing ----

TEST(BypassFreeing, FreeingABlockOfABypassedHeapLeavesItInUse) {
    for (bool byFlag : {false, true}) {
        NH_Heap heap(byFlag ? static_cast<int32_t>(NH_BYPASS_FREE) : 0, "bypassed");
        void* small = heap.AllocMem(20);
        void* big = heap.AllocMem(5000);
        if (!byFlag) BypassFreeing(&heap);
        EXPECT_EQ(1, heap._bypassFree);
        heap.FreeMem(small);
        heap.FreeMem(big);
        HeapCensus census = TakeCensus(heap);
        EXPECT_EQ(1u, census.smallInUse) << byFlag;
        EXPECT_EQ(1u, census.bigInUse) << byFlag;
        EXPECT_EQ(0, SmallBlockOf(small)->_status);
    }
}

// ---- NH_HeapOneSize ----

uint32_t PageSetCount(const NH_AHeap& heap) {
    uint32_t count = 0;
    for (NH_PageSet* pageSet = heap._pageSets; pageSet; pageSet = pageSet->_next)
        ++count;
    return count;
}

TEST(HeapOneSize, BlockSizesAreAtLeast4AndMultiplesOf4) {
    struct Case {
        uint32_t size, blockSize;
    } cases[] = {{0, 4}, {1, 4}, {4, 4}, {5, 8}, {13, 16}, {1000, 1000}};
    for (const Case& c : cases) {
        NH_HeapOneSize heap(c.size, 0, "one size");
        EXPECT_EQ(c.blockSize, heap._blockSize);
        char* first = static_cast<char*>(heap.AllocMem(c.size));
        char* second = static_cast<char*>(heap.AllocMem(c.size));
        EXPECT_EQ(reinterpret_cast<char*>(heap._pageSets) + sizeof(NH_OneSizePageSet), first);
        EXPECT_EQ(first + c.blockSize, second) << c.size;
    }
}

TEST(HeapOneSize, FreedBlocksAreReusedLastFreedFirst) {
    NH_HeapOneSize heap(24, 0, "one size");
    void* a = heap.AllocMem(24);
    void* b = heap.AllocMem(24);
    heap.AllocMem(24);
    heap.FreeMem(a);
    heap.FreeMem(b);
    EXPECT_EQ(b, heap.AllocMem(24));
    EXPECT_EQ(a, heap.AllocMem(24));
    EXPECT_EQ(nullptr, heap._pageSetsWithFree);
}

TEST(HeapOneSize, AllFreedKeepsOnePageSetForReuse) {
    for (bool newestFirst : {false, true}) {
        NH_HeapOneSize heap(1000, 0, "one size");
        std::vector<void*> blocks;
        while (PageSetCount(heap) < 3)
            blocks.push_back(heap.AllocMem(1000));
        NH_PageSet* kept = newestFirst ? heap._pageSets : PageSetOf(blocks.front());
        if (newestFirst) std::reverse(blocks.begin(), blocks.end());
        for (void* block : blocks)
            heap.FreeMem(block);
        EXPECT_EQ(1u, PageSetCount(heap));
        EXPECT_EQ(kept, heap._pageSets);
        EXPECT_EQ(kept, &heap._pageSetsWithFree->_base);
        EXPECT_EQ(PageSetOf(heap.AllocMem(1000)), kept);
    }
}

TEST(HeapOneSize, PageSetsGrowByDoublingTheirCommittedPages) {
    NH_HeapOneSize heap(1000, 0, "one size");
    for (int i = 0; i < 4; ++i) // 40 + 4 * 1000 bytes fit one page
        heap.AllocMem(1000);
    EXPECT_EQ(heap._pageSets->_committedEnd, reinterpret_cast<char*>(heap._pageSets) + 4096);
    heap.AllocMem(1000);
    EXPECT_EQ(heap._pageSets->_committedEnd, reinterpret_cast<char*>(heap._pageSets) + 8192);
    for (int i = 5; i < 9; ++i) // the ninth block needs a third page: four are committed
        heap.AllocMem(1000);
    EXPECT_EQ(heap._pageSets->_committedEnd, reinterpret_cast<char*>(heap._pageSets) + 16384);
}

TEST(HeapOneSize, ZeroFillBypassAndClear) {
    NH_HeapOneSize heap(64, NH_ZERO_FILL, "one size");
    char* block = static_cast<char*>(heap.AllocMem(64));
    std::memset(block, 0xAB, 64);
    heap.FreeMem(block);
    block = static_cast<char*>(heap.AllocMem(64));
    EXPECT_TRUE(IsMemoryFilledWith(block, 64, 0));

    BypassFreeing(&heap);
    heap.FreeMem(block);
    EXPECT_NE(block, heap.AllocMem(64));

    NH_PageSet* pageSet = heap._pageSets;
    heap.Clear();
    EXPECT_EQ(nullptr, heap._pageSets);
    EXPECT_EQ(nullptr, heap._pageSetsWithFree);
    EXPECT_EQ(0, IsDynamicMemory(pageSet));
    EXPECT_NE(nullptr, heap.AllocMem(64));
}

TEST(HeapOneSize, RequestsThatCannotFitAreRefused) {
    NH_HeapOneSize heap(16, 0, "one size");
    EXPECT_EQ(nullptr, heap.AllocMem(17));
    NH_HeapOneSize huge(70000, 0, "huge");
    EXPECT_EQ(nullptr, huge.AllocMem(70000));
}

// A heap used before its constructor ran is no object yet: the sanitizer's
// check of the dynamic type is left out.
__attribute__((no_sanitize("vptr"))) void FirstAllocationOfAHeapNeverConstructed() {
    alignas(NH_HeapOneSize) static char storage[sizeof(NH_HeapOneSize)]; // zero
    NH_HeapOneSize& heap = *reinterpret_cast<NH_HeapOneSize*>(storage);
    void* block = heap.AllocMem(10);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(12u, heap._blockSize);
    EXPECT_EQ(NH_THREAD_SAFE | NH_ZERO_FILL | NH_STATIC_HEAP, heap._flags);
    heap.FreeMem(block);
    heap.NH_HeapOneSize::Clear(); // no constructor ran: no virtual table
}

TEST(HeapOneSize, AFirstAllocationInitialisesThreadSafeAndZeroFilling) {
    FirstAllocationOfAHeapNeverConstructed();
}

TEST(HeapOneSize, TwoThreadsShareAThreadSafeHeap) {
    NH_HeapOneSize heap(32, NH_THREAD_SAFE, "shared");
    auto work = [&heap](uint8_t mark) {
        std::vector<uint8_t*> blocks;
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < 1000; ++i) {
                blocks.push_back(static_cast<uint8_t*>(heap.AllocMem(32)));
                std::memset(blocks.back(), mark, 32);
            }
            for (uint8_t* block : blocks) {
                EXPECT_TRUE(IsMemoryFilledWith(block, 32, mark));
                heap.FreeMem(block);
            }
            blocks.clear();
        }
    };
    std::thread other(work, 0x11);
    work(0x22);
    other.join();
    EXPECT_EQ(1u, PageSetCount(heap));
}

// ---- Memory tests ----

TEST(MemoryQueries, StackAndDynamicMemoryAreToldApart) {
    static int staticValue;
    int local = 0;
    NH_Heap heap(0, "query");
    void* block = heap.AllocMem(10);
    int otherStack = -1;
    std::thread([&] {
        int theirs = 0;
        otherStack = IsStackMemory(&theirs);
    }).join();
    struct Case {
        const void* address;
        int stack, dynamic;
    } cases[] = {{&local, 1, 0}, {&staticValue, 0, 0}, {block, 0, 1}, {&heap, 1, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.stack, IsStackMemory(c.address));
        EXPECT_EQ(c.dynamic, IsDynamicMemory(c.address) != 0);
    }
    EXPECT_EQ(1, otherStack); // a thread's own stack, seen from that thread
    heap.Clear();
    EXPECT_EQ(0, IsDynamicMemory(block));
}

} // namespace

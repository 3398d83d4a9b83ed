// The heap core: small blocks and their page sets, big blocks and their
// boundary tags, resizing, Clear, initialisation. Every test works on its own
// NH_Heap on the stack, so that it holds whatever the global allocation does.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_one_size.h"
#include "heap/heap_services.h"
#include "heap/poison.h"
#include "heap/process_state.h"
#include "tests/heap/heap_checker.h"

namespace {

uint32_t ClassSizeOf(void* user) {
    return NH_sizeClasses.sizes[SmallBlockOf(user)->_classIndex];
}

uint32_t StoredSize(void* user) {
    return IsAltBlock(user) ? AltHeaderOf(user)->_size : SmallBlockOf(user)->_size;
}

uint32_t BigSizeOfUser(void* user) {
    return BigSizeOf(BigBlockOf(AltHeaderOf(user)));
}

void Fill(void* block, uint32_t size, uint8_t seed) {
    for (uint32_t i = 0; i < size; ++i)
        static_cast<uint8_t*>(block)[i] = static_cast<uint8_t>(seed + i * 7);
}

bool HasFill(const void* block, uint32_t size, uint8_t seed) {
    for (uint32_t i = 0; i < size; ++i)
        if (static_cast<const uint8_t*>(block)[i] != static_cast<uint8_t>(seed + i * 7))
            return false;
    return true;
}

uint32_t CommittedPagesOf(NH_PageSet* pageSet) {
    return static_cast<uint32_t>(pageSet->_committedEnd - reinterpret_cast<char*>(pageSet)) /
           NH_constants.pageSize;
}

// Blocks of 1020 bytes (class 1024) that fill a fresh page set's 65508 bytes.
const uint32_t kLargestSmall = 1020;
const uint32_t kBlocksPerPageSet = (65536 - kPageSetHeaderSize) / 1024; // 63, 996 bytes left

// ---- Small blocks ----

TEST(HeapSmallBlocks, RequestsTakeTheSmallestClassThatHoldsThemWithTheHeader) {
    NH_Heap heap(0, "test");
    struct Case {
        uint32_t size, blockSize;
    } cases[] = {{0, 12},   {8, 12},      {9, 16},      {96, 100},
                 {97, 108}, {1000, 1004}, {1001, 1024}, {1020, 1024}};
    for (const Case& c : cases) {
        void* block = heap.AllocMem(c.size);
        ASSERT_NE(nullptr, block);
        EXPECT_FALSE(IsAltBlock(block)) << c.size;
        EXPECT_EQ(c.blockSize, ClassSizeOf(block)) << c.size;
        EXPECT_EQ(c.size, SmallBlockOf(block)->_size);
        EXPECT_EQ(0, SmallBlockOf(block)->_status);
        EXPECT_EQ(c.size, StoredSize(block));
    }
    EXPECT_TRUE(CheckHeap(heap));
    EXPECT_EQ(8u, TakeCensus(heap).smallInUse);
}

TEST(HeapSmallBlocks, A1021ByteRequestTakesTheBigPath) {
    NH_Heap heap(0, "test");
    void* block = heap.AllocMem(1021);
    ASSERT_NE(nullptr, block);
    ASSERT_TRUE(IsAltBlock(block));
    NH_AltBlock* header = AltHeaderOf(block);
    EXPECT_EQ(&heap, header->_heap);
    EXPECT_EQ(1021u, header->_size);
    EXPECT_EQ(0u, header->_virtual);
    EXPECT_EQ(1, header->_status);
    EXPECT_EQ(header, heap._altBlocks);
    EXPECT_EQ(kSmallestBigBlock, BigSizeOfUser(block)); // 1021 + 24 + 12 rounds up to 1100
    EXPECT_EQ(nullptr, heap._pageSets);
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(HeapSmallBlocks, FirstBlockFollowsThePageSetHeaderAndFindsItsHeapByMasking) {
    NH_Heap heap(0, "test");
    char* block = static_cast<char*>(heap.AllocMem(0));
    NH_PageSet* pageSet = heap._pageSets;
    ASSERT_NE(nullptr, pageSet);
    EXPECT_EQ(reinterpret_cast<char*>(pageSet) + kPageSetHeaderSize + kSmallHeaderSize, block);
    EXPECT_EQ(pageSet, PageSetOf(block + 7));
    EXPECT_EQ(&heap, pageSet->_heap);
    EXPECT_EQ(1u, CommittedPagesOf(pageSet));
    EXPECT_NE(0, NH_IsInDynamicMemoryMap(block));
}

TEST(HeapSmallBlocks, AFreedBlockIsTheNextOneOfItsClass) {
    NH_Heap heap(0, "test");
    void* first = heap.AllocMem(50);
    void* second = heap.AllocMem(50);
    heap.FreeMem(first);
    EXPECT_EQ(kSmallFree, SmallBlockOf(first)->_status);
    EXPECT_TRUE(CheckHeap(heap));
    EXPECT_EQ(first, heap.AllocMem(52)); // same class of 56 bytes
    EXPECT_NE(second, first);
    heap.FreeMem(nullptr);
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(HeapSmallBlocks, PageSetsGrowByDoublingTheirCommittedPages) {
    NH_Heap heap(0, "test");
    // Blocks of 1024 bytes: 3 fit the first page after the header, 7 two
    // pages, 15 four pages, 31 eight pages.
    const struct {
        int blocks;
        uint32_t pages;
    } steps[] = {{3, 1}, {4, 2}, {7, 2}, {8, 4}, {15, 4}, {16, 8}, {31, 8}, {32, 16}};
    int allocated = 0;
    for (const auto& step : steps) {
        for (; allocated < step.blocks; ++allocated)
            heap.AllocMem(kLargestSmall);
        EXPECT_EQ(step.pages, CommittedPagesOf(heap._pageSets)) << step.blocks << " blocks";
    }
    EXPECT_TRUE(CheckHeap(heap));
}

// Fills the first page sets of a fresh heap with blocks of 1020 bytes.
std::vector<void*> FillPageSets(NH_Heap& heap, uint32_t pageSets = 1) {
    std::vector<void*> blocks;
    for (uint32_t i = 0; i < pageSets * kBlocksPerPageSet; ++i)
        blocks.push_back(heap.AllocMem(kLargestSmall));
    return blocks;
}

TEST(HeapSmallBlocks, AFullPageSetLeavesItsTopAsFreeBlocksOfTheLargestClassesThatFit) {
    NH_Heap heap(0, "test");
    std::vector<void*> blocks = FillPageSets(heap);
    NH_PageSet* first = heap._pageSets;
    const uint32_t left = (65536 - kPageSetHeaderSize) % 1024; // 996 with a 28-byte header
    EXPECT_EQ(left, first->_uncarved);
    void* next = heap.AllocMem(kLargestSmall);
    EXPECT_NE(first, PageSetOf(next));
    EXPECT_EQ(0u, first->_uncarved);
    // 996 bytes: a block of 956 and one of 40 (968: 956 and 12).
    HeapCensus census = TakeCensus(heap);
    EXPECT_EQ(2u, census.pageSets);
    EXPECT_EQ(2u, census.smallFree);
    ASSERT_NE(nullptr, heap._freeLists[64]);
    EXPECT_EQ(956u, NH_sizeClasses.sizes[64]);
    EXPECT_NE(nullptr, heap._freeLists[NH_sizeClasses.classOfTotal[left - 956]]);
    EXPECT_TRUE(CheckHeap(heap));
    // The 956-byte block serves the next request of its class.
    EXPECT_EQ(PageSetOf(heap.AllocMem(950)), first);
}

// Emptied page sets are kept for reuse, a bounded number of them, and count
// as given back: they leave the dynamic-memory map until reused.
TEST(HeapSmallBlocks, EmptiedPageSetsAreKeptForReuseUpToABound) {
    NH_Heap heap(0, "test");
    std::vector<void*> blocks = FillPageSets(heap, 3);
    NH_PageSet* first = PageSetOf(blocks.front());
    NH_PageSet* second = PageSetOf(blocks[kBlocksPerPageSet]);
    void* last = heap.AllocMem(kLargestSmall); // in a fourth, current page set
    for (uint32_t i = 0; i < 2 * kBlocksPerPageSet; ++i)
        heap.FreeMem(blocks[i]);
    HeapCensus census = TakeCensus(heap);
    EXPECT_EQ(2u, census.pageSets);
    EXPECT_EQ(2u, census.keptPageSets);
    EXPECT_EQ(0, NH_IsInDynamicMemoryMap(first));
    EXPECT_EQ(0, NH_IsInDynamicMemoryMap(second));
    EXPECT_TRUE(CheckHeap(heap)); // the remainder blocks left the free lists too

    // The next page sets needed are the kept ones, the last kept first.
    std::vector<void*> again;
    NH_PageSet* current = heap._pageSets;
    while (heap._pageSets == current)
        again.push_back(heap.AllocMem(kLargestSmall));
    EXPECT_EQ(second, PageSetOf(again.back()));
    while (heap._pageSets == second)
        again.push_back(heap.AllocMem(kLargestSmall));
    EXPECT_EQ(first, PageSetOf(again.back()));
    EXPECT_NE(0, NH_IsInDynamicMemoryMap(first));
    census = TakeCensus(heap);
    EXPECT_EQ(4u, census.pageSets);
    EXPECT_EQ(0u, census.keptPageSets);
    EXPECT_TRUE(CheckHeap(heap));

    // The current page set stays whatever it holds; Clear gives kept ones back.
    for (void* block : again)
        heap.FreeMem(block);
    heap.FreeMem(last);
    heap.Clear();
    EXPECT_EQ(0, NH_IsRegionReserved(first));
    EXPECT_EQ(0, NH_IsRegionReserved(second));
}

TEST(HeapSmallBlocks, NoMoreEmptiedPageSetsAreKeptThanTheBound) {
    NH_Heap heap(0, "test");
    for (void* block : FillPageSets(heap, kKeptPageSets + 2))
        heap.FreeMem(block);
    HeapCensus census = TakeCensus(heap);
    EXPECT_EQ(1u, census.pageSets);
    EXPECT_EQ(static_cast<uint32_t>(kKeptPageSets), census.keptPageSets);
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(HeapSmallBlocks, AFullCurrentPageSetWithNothingInUseIsCarvedAgainFromItsStart) {
    NH_Heap heap(0, "test");
    std::vector<void*> blocks = FillPageSets(heap);
    NH_PageSet* pageSet = heap._pageSets;
    for (void* block : blocks)
        heap.FreeMem(block);
    // 1000 bytes need a block of 1004, more than the 996 left at the top.
    void* block = heap.AllocMem(1000);
    EXPECT_EQ(pageSet, heap._pageSets);
    EXPECT_EQ(FirstSmallBlock(pageSet) + kSmallHeaderSize, block);
    EXPECT_EQ(nullptr, heap._freeLists[kSizeClassCount - 1]);
    EXPECT_EQ(0u, TakeCensus(heap).smallFree);
    EXPECT_TRUE(CheckHeap(heap));
}

#if defined(NH_ADDRESS_SANITIZER)
// Under AddressSanitizer a freed small block is poisoned past its links.
TEST(HeapSmallBlocksDeathTest, ReadingAFreedBlockIsReported) {
    NH_Heap heap(0, "test");
    volatile char* block = static_cast<char*>(heap.AllocMem(100));
    block[50] = 1;
    heap.FreeMem(const_cast<char*>(block));
    EXPECT_DEATH(block[50] = block[50] + 1, "use-after-poison");
    EXPECT_EQ(block, heap.AllocMem(100)); // handed out again, usable
    block[50] = 2;
}
#endif

// ---- Resizing small blocks ----

TEST(HeapReAlloc, SmallBlocksStayWithinTheirClassAndMoveBeyondIt) {
    NH_Heap heap(0, "test");
    struct Case {
        uint32_t from, to;
        bool staysInPlace, becomesBig;
    } cases[] = {
        {20, 20, true, false},      {10, 12, true, false},     {20, 21, false, false},
        {10, 8, true, false},       {100, 0, true, false},     {1001, 1020, true, false},
        {1000, 1001, false, false}, {1020, 1021, false, true}, {0, 5000, false, true},
    };
    for (const Case& c : cases) {
        void* block = heap.AllocMem(c.from);
        Fill(block, c.from, 0x31);
        void* resized = heap.ReAlloc(block, c.to, 0);
        ASSERT_NE(nullptr, resized);
        EXPECT_EQ(c.staysInPlace, resized == block) << c.from << " -> " << c.to;
        EXPECT_EQ(c.becomesBig, IsAltBlock(resized)) << c.from << " -> " << c.to;
        EXPECT_EQ(c.to, StoredSize(resized));
        EXPECT_TRUE(HasFill(resized, c.from < c.to ? c.from : c.to, 0x31))
            << c.from << " -> " << c.to;
        EXPECT_TRUE(CheckHeap(heap));
    }
}

TEST(HeapReAlloc, TheZeroFlagClearsTheGrownPartOnly) {
    NH_Heap heap(0, "test");
    struct Case {
        uint32_t from, to;
    } cases[] = {{13, 16}, {13, 40}, {0, 1020}, {500, 3000}, {2000, 2100}, {2000, 60000}};
    for (const Case& c : cases) {
        void* block = heap.AllocMem(c.from);
        Fill(block, c.from, 0x55);
        char* resized = static_cast<char*>(heap.ReAlloc(block, c.to, 1));
        ASSERT_NE(nullptr, resized);
        EXPECT_TRUE(HasFill(resized, c.from, 0x55)) << c.from << " -> " << c.to;
        EXPECT_TRUE(IsMemoryFilledWith(resized + c.from, c.to - c.from, 0))
            << c.from << " -> " << c.to;
    }
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(HeapReAlloc, ToZeroBytesKeepsTheBlockOfEitherKind) {
    NH_Heap heap(0, "test");
    void* small = heap.AllocMem(100);
    EXPECT_EQ(small, heap.ReAlloc(small, 0, 0));
    EXPECT_EQ(0u, StoredSize(small));

    void* big = heap.AllocMem(5000);
    void* resized = heap.ReAlloc(big, 0, 0);
    EXPECT_EQ(big, resized); // a big block never becomes small again
    EXPECT_TRUE(IsAltBlock(resized));
    EXPECT_EQ(0u, StoredSize(resized));
    EXPECT_EQ(kSmallestBigBlock, BigSizeOfUser(resized));
    EXPECT_TRUE(CheckHeap(heap));
}

// ---- Big blocks ----

TEST(HeapBigBlocks, TagsAtBothEndsAndTheUserPointerAfterTheHeaders) {
    NH_Heap heap(0, "test");
    char* block = static_cast<char*>(heap.AllocMem(2000));
    NH_BigPageSet* pageSet = heap._bigPageSets;
    ASSERT_NE(nullptr, pageSet);
    NH_BigBlock* big = BigBlockOf(AltHeaderOf(block));
    EXPECT_EQ(reinterpret_cast<char*>(pageSet) + kBigPageSetHeaderSize,
              reinterpret_cast<char*>(big));
    EXPECT_EQ(reinterpret_cast<char*>(AltHeaderOf(big)) + kAltHeaderSize, block);
    EXPECT_EQ(RoundUp(2000 + kAltHeaderSize + kBigBlockOverhead, kBigBlockUnit),
              big->_tag); // 2036 on 32-bit, in use
    EXPECT_EQ(big->_tag, *TrailingTagOf(big));
    EXPECT_EQ(pageSet, big->_pageSet);
    EXPECT_EQ(1u, pageSet->_inUse);
    EXPECT_EQ(kSmallestBigReservation,
              static_cast<uint32_t>(pageSet->_reservedEnd - reinterpret_cast<char*>(pageSet)));
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(HeapBigBlocks, FirstFitSplitsOnlyWhen1100BytesOrMoreRemain) {
    for (uint32_t remainder : {1096u, 1100u}) {
        NH_Heap heap(0, "test");
        void* freed = heap.AllocMem(3000);
        heap.AllocMem(3000); // keeps it from merging with the rest
        uint32_t freedSize = BigSizeOfUser(freed);
        heap.FreeMem(freed);
        // A request whose big block leaves exactly the remainder.
        uint32_t need = freedSize - remainder;
        void* block = heap.AllocMem(need - kBigBlockOverhead - kAltHeaderSize);
        ASSERT_EQ(freed, block) << remainder;
        EXPECT_EQ(remainder >= kSmallestBigBlock ? need : freedSize, BigSizeOfUser(block))
            << remainder;
        EXPECT_TRUE(CheckHeap(heap));
    }
}

TEST(HeapBigBlocks, ABlockFreedBetweenTwoFreeOnesMergesWithBoth) {
    NH_Heap heap(0, "test");
    void* a = heap.AllocMem(2000);
    void* b = heap.AllocMem(2000);
    void* c = heap.AllocMem(2000);
    heap.AllocMem(2000);
    uint32_t total = BigSizeOfUser(a) + BigSizeOfUser(b) + BigSizeOfUser(c);
    heap.FreeMem(a);
    heap.FreeMem(c);
    uint32_t freeBefore = TakeCensus(heap).bigFree;
    heap.FreeMem(b);
    EXPECT_EQ(freeBefore - 1, TakeCensus(heap).bigFree);
    NH_BigBlock* merged = BigBlockOf(AltHeaderOf(a));
    EXPECT_EQ(total | kBigFreeBit, merged->_tag);
    EXPECT_EQ(merged, heap._bigFreeList);
    EXPECT_TRUE(CheckHeap(heap));
}

// The checker must see a merge left undone, and checking the heap behind the
// global allocation must not change that heap.
TEST(HeapChecker, CatchesAMergeLeftUndoneAndLeavesTheCheckedHeapAlone) {
    NH_Heap heap(0, "test");
    void* a = heap.AllocMem(2000);
    void* b = heap.AllocMem(2000);
    heap.AllocMem(2000);
    heap.FreeMem(a);
    NH_BigBlock* unmerged = BigBlockOf(AltHeaderOf(b));
    const uint32_t tag = unmerged->_tag;
    unmerged->_tag = *TrailingTagOf(unmerged) = tag | kBigFreeBit;
    ::testing::AssertionResult verdict = CheckHeap(heap);
    EXPECT_FALSE(verdict);
    EXPECT_NE(std::string::npos,
              std::string(verdict.message()).find("two adjacent free big blocks"));
    unmerged->_tag = *TrailingTagOf(unmerged) = tag;
    EXPECT_TRUE(CheckHeap(heap));

    HeapCensus before = TakeCensus(DefaultHeap);
    EXPECT_TRUE(CheckHeap(DefaultHeap));
    HeapCensus after = TakeCensus(DefaultHeap);
    EXPECT_EQ(before.pageSets, after.pageSets);
    EXPECT_EQ(before.smallInUse, after.smallInUse);
    EXPECT_EQ(before.smallFree, after.smallFree);
    EXPECT_EQ(before.bigInUse, after.bigInUse);
    EXPECT_EQ(before.bigFree, after.bigFree);
}

// An older big page set goes back when emptied, however small; the newest
// one below.
TEST(HeapBigBlocks, AnEmptiedOlderBigPageSetGoesBack) {
    NH_Heap heap(0, "test");
    void* small = heap.AllocMem(2000);
    void* huge = heap.AllocMem(3 << 20);
    EXPECT_EQ(2u, TakeCensus(heap).bigPageSets);
    heap.FreeMem(small);
    EXPECT_EQ(1u, TakeCensus(heap).bigPageSets);
    EXPECT_TRUE(CheckHeap(heap));
    heap.FreeMem(huge);
    EXPECT_EQ(0u, TakeCensus(heap).bigPageSets);
    EXPECT_EQ(nullptr, heap._bigFreeList);
}

// The newest big page set stays when emptied while it has at most 64 KiB
// committed: the request that just fills 64 KiB and the byte more that takes
// one page further lie on either side of that line.
TEST(HeapBigBlocks, AnEmptiedNewestBigPageSetStaysUpTo64KiBCommitted) {
    const uint32_t page = NH_constants.pageSize;
    const uint32_t fills64KiB = 65536 - kBigPageSetHeaderSize - kBigBlockOverhead - kAltHeaderSize;
    struct Case {
        uint32_t request, committed;
        bool kept;
    } cases[] = {{fills64KiB - page, 65536 - page, true},
                 {fills64KiB, 65536, true},
                 {fills64KiB + 1, 65536 + page, false}};
    for (const Case& c : cases) {
        NH_Heap heap(0, "test");
        void* block = heap.AllocMem(c.request);
        NH_BigPageSet* pageSet = heap._bigPageSets;
        ASSERT_EQ(c.committed,
                  static_cast<uint32_t>(pageSet->_committedEnd - reinterpret_cast<char*>(pageSet)))
            << c.request;
        heap.FreeMem(block);
        EXPECT_EQ(c.kept ? 1u : 0u, TakeCensus(heap).bigPageSets) << c.request;
        EXPECT_EQ(c.kept, NH_IsInDynamicMemoryMap(pageSet) != 0) << c.request;
        EXPECT_EQ(c.kept, heap._bigFreeList != nullptr) << c.request;
        EXPECT_TRUE(CheckHeap(heap));
    }
}

// Big page sets for requests of 1 MB or more reserve twice the room (up to
// 4 MB more), and growing sets commit ahead: a buffer grown in small steps
// rarely moves.
TEST(HeapBigBlocks, ABufferGrownInSmallStepsMovesOnlyAFewTimes) {
    NH_Heap heap(0, "test");
    void* large = heap.AllocMem(1 << 20);
    NH_BigPageSet* pageSet = BigBlockOf(AltHeaderOf(large))->_pageSet;
    EXPECT_EQ(2 * RoundUp((1 << 20) + kAltHeaderSize + kBigBlockOverhead + kBigPageSetHeaderSize,
                          NH_constants.granularity),
              static_cast<uint32_t>(pageSet->_reservedEnd - reinterpret_cast<char*>(pageSet)));
    heap.FreeMem(large);

    char* buffer = static_cast<char*>(heap.AllocMem(2000));
    buffer[0] = 'g';
    int moves = 0;
    for (uint32_t size = 3000; size <= (4u << 20); size += 1000) {
        char* grown = static_cast<char*>(heap.ReAlloc(buffer, size, 0));
        ASSERT_NE(nullptr, grown) << size;
        moves += grown != buffer;
        buffer = grown;
    }
    EXPECT_EQ('g', buffer[0]);
    EXPECT_LE(moves, 4);
    EXPECT_TRUE(CheckHeap(heap));
}

// The address space right after a new big page set is taken (here: its
// spare room is refused once): the set and its spare room go elsewhere
// together, so that the block still grows in place.
int reserveRequests;
int RefuseTheFirstSpareRoom(NH_OsRequest request, uint32_t) {
    return request == NH_OS_RESERVE && ++reserveRequests == 2;
}

TEST(HeapBigBlocks, SpareRoomIsFoundElsewhereWhenTheAddressSpaceAfterTheSetIsTaken) {
    NH_Heap heap(0, "test");
    reserveRequests = 0;
    NH_fpFailMemoryRequest = RefuseTheFirstSpareRoom;
    void* block = heap.AllocMem(3u << 20);
    NH_fpFailMemoryRequest = nullptr;
    ASSERT_NE(nullptr, block);
    EXPECT_NE(0u, heap._bigPageSets->_spare);
    EXPECT_EQ(block, heap.ReAlloc(block, 5u << 20, 0));
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(HeapBigBlocks, ReAllocGrowsInPlaceWhereItCanAndMovesOtherwise) {
    enum Layout { kAloneAtTheEnd, kFreeNeighbour, kUsedNeighbour };
    struct Case {
        Layout layout;
        uint32_t from, to;
        bool staysInPlace;
    } cases[] = {
        {kAloneAtTheEnd, 2000, 5000, true}, // the page set commits more
        {kAloneAtTheEnd, 2000, 900000, true},
        {kFreeNeighbour, 2000, 3000, true}, // absorbs the free block after it
        {kUsedNeighbour, 2000, 10000, false},
        {kUsedNeighbour, 10000, 2000, true}, // shrinking splits the tail off
        {kFreeNeighbour, 2000, 5000, false}, // the free neighbour is too small
    };
    for (const Case& c : cases) {
        NH_Heap heap(0, "test");
        void* block = heap.AllocMem(c.from);
        if (c.layout != kAloneAtTheEnd) {
            void* neighbour = heap.AllocMem(2000);
            heap.AllocMem(2000);
            if (c.layout == kFreeNeighbour) heap.FreeMem(neighbour);
        }
        Fill(block, c.from, 0x77);
        void* resized = heap.ReAlloc(block, c.to, 0);
        ASSERT_NE(nullptr, resized);
        EXPECT_EQ(c.staysInPlace, resized == block) << c.from << " -> " << c.to;
        EXPECT_TRUE(HasFill(resized, c.from < c.to ? c.from : c.to, 0x77));
        EXPECT_EQ(c.to, StoredSize(resized));
        EXPECT_TRUE(CheckHeap(heap)) << c.from << " -> " << c.to;
    }
}

// ---- Zero-fill heaps ----

TEST(HeapZeroFill, NewBlocksAndGrownPartsAreCleared) {
    NH_Heap heap(NH_ZERO_FILL, "zero");
    for (uint32_t size : {0u, 40u, 1020u, 1021u, 70000u}) {
        void* dirty = heap.AllocMem(size);
        std::memset(dirty, 0xAA, size);
        heap.FreeMem(dirty);
        void* block = heap.AllocMem(size);
        EXPECT_TRUE(IsMemoryFilledWith(block, size, 0)) << size;
        std::memset(block, 0xAA, size);
        // Shrinking leaves the old bytes behind; growing again must clear them.
        char* grown =
            static_cast<char*>(heap.ReAlloc(heap.ReAlloc(block, size / 2, 0), size * 2 + 8, 0));
        EXPECT_TRUE(IsMemoryFilledWith(grown + size / 2, size * 2 + 8 - size / 2, 0)) << size;
    }
    EXPECT_TRUE(CheckHeap(heap));
}

// ---- Clear and teardown ----

TEST(HeapClear, GivesEverythingBackAndTheNextBlockStartsANewPageSet) {
    NH_Heap heap(NH_THREAD_SAFE, "test");
    std::vector<void*> regions;
    for (uint32_t size : {0u, 100u, 1020u, 1021u, 50000u, 2000000u}) {
        for (int i = 0; i < 100; ++i)
            heap.AllocMem(size);
    }
    for (NH_PageSet* pageSet = heap._pageSets; pageSet; pageSet = pageSet->_next)
        regions.push_back(pageSet);
    for (NH_BigPageSet* pageSet = heap._bigPageSets; pageSet; pageSet = pageSet->_next)
        regions.push_back(pageSet);
    heap.Clear();
    HeapCensus census = TakeCensus(heap);
    EXPECT_EQ(0u, census.pageSets + census.bigPageSets + census.smallFree + census.bigFree);
    EXPECT_EQ(nullptr, heap._altBlocks);
    for (void* region : regions)
        EXPECT_EQ(0, NH_IsInDynamicMemoryMap(region));
    for (NH_SmallBlock* head : heap._freeLists)
        EXPECT_EQ(nullptr, head);

    char* block = static_cast<char*>(heap.AllocMem(0));
    EXPECT_EQ(reinterpret_cast<char*>(heap._pageSets) + kPageSetHeaderSize + kSmallHeaderSize,
              block);
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(HeapClear, TheDestructorOfANonStaticHeapReleasesItsRegions) {
    void* pageSet;
    void* bigPageSet;
    {
        NH_Heap heap(0, "test");
        pageSet = PageSetOf(heap.AllocMem(10));
        heap.AllocMem(5000);
        bigPageSet = heap._bigPageSets;
    }
    EXPECT_EQ(0, NH_IsInDynamicMemoryMap(pageSet));
    EXPECT_EQ(0, NH_IsInDynamicMemoryMap(bigPageSet));
}

TEST(HeapClear, FreeingTakesTheOwnerFromTheBlock) {
    NH_Heap owner(NH_THREAD_SAFE, "owner");
    NH_Heap other(0, "other");
    void* small = owner.AllocMem(10);
    void* big = owner.AllocMem(10000);
    other.FreeMem(small);
    other.FreeMem(big);
    EXPECT_EQ(0u, TakeCensus(owner).smallInUse + TakeCensus(owner).bigInUse);
    EXPECT_TRUE(CheckHeap(owner));
    EXPECT_TRUE(CheckHeap(other));
}

// ---- Running out of memory ----

// Reservations and commits that still succeed before every further one
// fails; negative: none fails.
int requestsLeft = -1;
int outOfMemoryCalls;

int FailWhenNoneLeft(NH_OsRequest, uint32_t) {
    if (requestsLeft < 0) return 0;
    if (requestsLeft == 0) return 1;
    --requestsLeft;
    return 0;
}

class MemoryFaults {
public:
    explicit MemoryFaults(int succeeding) {
        requestsLeft = succeeding;
        outOfMemoryCalls = 0;
        NH_fpFailMemoryRequest = FailWhenNoneLeft;
    }
    ~MemoryFaults() { NH_fpFailMemoryRequest = nullptr; }
};

int GiveUp() {
    ++outOfMemoryCalls;
    return 0;
}

int LiftTheFaultsAndRetry() {
    ++outOfMemoryCalls;
    requestsLeft = -1;
    return 1;
}

// Blocks that a scenario holds, with the pattern seed of each.
struct Held {
    void* block;
    uint32_t size;
    uint8_t seed;
};

// One step of a scenario: allocates or resizes; false when it got null.
bool RunStep(NH_Heap& heap, int step, std::vector<Held>& held) {
    auto allocate = [&](uint32_t size) {
        void* block = heap.AllocMem(size);
        if (!block) return false;
        Fill(block, size, static_cast<uint8_t>(held.size()));
        held.push_back({block, size, static_cast<uint8_t>(held.size())});
        return true;
    };
    auto resize = [&](size_t index, uint32_t size) {
        Held& old = held[index];
        void* block = heap.ReAlloc(old.block, size, 0);
        if (!block) return false; // the old block must still be intact: checked by the caller
        old.block = block;
        old.size = old.size < size ? old.size : size;
        return true;
    };
    switch (step) {
    case 0:
        return allocate(100);
    case 1:
        for (int i = 0; i < 100; ++i) // across pages and into a second page set
            if (!allocate(1020)) return false;
        return true;
    case 2:
        return allocate(5000);
    case 3:
        return resize(held.size() - 1, 2000000); // a big block moves
    case 4:
        return resize(0, 3000); // a small block becomes big
    case 5:
        return allocate(3 << 20);
    default:
        return resize(held.size() - 1, 12 << 20);
    }
}
const int kScenarioSteps = 7;

TEST(HeapOutOfMemory, EveryFailingRequestGivesNullAndLeavesTheHeapSound) {
    for (int succeeding = 0;; ++succeeding) {
        NH_Heap heap(NH_THREAD_SAFE | NH_NO_NEW_HANDLER, "faults");
        heap._fpOutOfMemory = GiveUp;
        std::vector<Held> held;
        held.reserve(128); // the faults hit the global allocation as well
        int failedAt = -1;
        {
            MemoryFaults faults(succeeding);
            for (int step = 0; step < kScenarioSteps && failedAt < 0; ++step)
                if (!RunStep(heap, step, held)) failedAt = step;
        }
        if (failedAt >= 0) {
            EXPECT_EQ(1, outOfMemoryCalls) << "failure " << succeeding;
        }
        EXPECT_EQ(0, heap._lock.recursionCount) << "lock kept after failure " << succeeding;
        ASSERT_TRUE(CheckHeap(heap)) << "failure " << succeeding << " at step " << failedAt;
        for (const Held& h : held)
            ASSERT_TRUE(HasFill(h.block, h.size, h.seed)) << "failure " << succeeding;
        if (failedAt < 0) break;
        ASSERT_LT(succeeding, 1000);
    }
}

TEST(HeapOutOfMemory, TheCallbackCanMakeTheRequestBeRetried) {
    struct Case {
        uint32_t size;
        int succeeding;
    } cases[] = {{10, 0}, {5000, 0}, {10, 1}};
    for (const Case& c : cases) {
        NH_Heap heap(NH_THREAD_SAFE | NH_NO_NEW_HANDLER, "retry");
        heap._fpOutOfMemory = LiftTheFaultsAndRetry;
        MemoryFaults faults(c.succeeding);
        EXPECT_NE(nullptr, heap.AllocMem(c.size));
        EXPECT_EQ(1, outOfMemoryCalls);
        EXPECT_TRUE(CheckHeap(heap));
    }
}

int emergencyCalls;

TEST(HeapOutOfMemory, ANewPageSetFallsBackOnTheEmergencyReserve) {
    NH_Heap heap(NH_NO_NEW_HANDLER, "reserve");
    heap._fpOutOfMemory = GiveUp;
    emergencyCalls = 0;
    ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(8192, [] { ++emergencyCalls; }));
    std::vector<void*> blocks;
    blocks.reserve(64);
    {
        MemoryFaults faults(0);
        void* block = heap.AllocMem(10);
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(1, emergencyCalls);
        EXPECT_EQ(2u, CommittedPagesOf(PageSetOf(block))); // the reserve's committed part
        EXPECT_EQ(0, outOfMemoryCalls);
        // Its two pages hold seven blocks of 1024 bytes; then the heap gives up.
        void* next;
        while ((next = heap.AllocMem(kLargestSmall)) != nullptr)
            blocks.push_back(next);
        EXPECT_EQ(7u, blocks.size());
        EXPECT_EQ(1, outOfMemoryCalls);
        EXPECT_EQ(1, emergencyCalls);
    }
    NH_AHeap::SetEmergencyReserve(0, nullptr);
    EXPECT_TRUE(CheckHeap(heap));
}

// Near the commit limit the doubled commit of a page set is refused while
// one more page is not: both kinds of heap grow by what they need instead of
// falling into the out-of-memory handling.
int FailCommitsAboveAPage(NH_OsRequest request, uint32_t size) {
    return request == NH_OS_COMMIT && size > NH_constants.pageSize;
}

TEST(HeapOutOfMemory, NearTheCommitLimitPageSetsGrowByThePagesTheyNeed) {
    NH_Heap heap(NH_NO_NEW_HANDLER, "limit");
    NH_HeapOneSize oneSize(1000, NH_NO_NEW_HANDLER, "limit");
    heap._fpOutOfMemory = GiveUp;
    oneSize._fpOutOfMemory = GiveUp;
    outOfMemoryCalls = 0;
    NH_fpFailMemoryRequest = FailCommitsAboveAPage;
    uint32_t served = 0;
    for (int i = 0; i < 3 * static_cast<int>(kBlocksPerPageSet); ++i)
        served += (heap.AllocMem(kLargestSmall) != nullptr) + (oneSize.AllocMem(1000) != nullptr);
    NH_fpFailMemoryRequest = nullptr;
    EXPECT_EQ(6 * kBlocksPerPageSet, served);
    EXPECT_EQ(0, outOfMemoryCalls);
    EXPECT_TRUE(CheckHeap(heap));
}

// Kept page sets go back first thing when memory runs out.
TEST(HeapOutOfMemory, KeptPageSetsGoBackFirst) {
    NH_Heap heap(NH_NO_NEW_HANDLER, "kept");
    heap._fpOutOfMemory = GiveUp;
    std::vector<void*> blocks = FillPageSets(heap, 2);
    NH_PageSet* first = PageSetOf(blocks.front());
    for (uint32_t i = 0; i < kBlocksPerPageSet; ++i)
        heap.FreeMem(blocks[i]);
    ASSERT_EQ(1u, TakeCensus(heap).keptPageSets);
    {
        MemoryFaults faults(0);
        EXPECT_EQ(nullptr, heap.AllocMem(5000)); // needs a new big page set
    }
    EXPECT_EQ(1, outOfMemoryCalls); // after the kept page set went back
    EXPECT_EQ(0u, TakeCensus(heap).keptPageSets);
    EXPECT_EQ(0, NH_IsRegionReserved(first));
    EXPECT_TRUE(CheckHeap(heap));
}

// A big page set keeps at most 4 MB of spare room after itself, and gives it
// back when memory runs out before the emergency reserve is touched.
const char* spareStart;
int FailWhileTheSpareIsReserved(NH_OsRequest request, uint32_t) {
    return request == NH_OS_RESERVE && NH_IsInDynamicMemoryMap(spareStart);
}

TEST(HeapOutOfMemory, SpareRoomIsBoundedAndGoesBackBeforeTheEmergencyReserve) {
    NH_Heap heap(NH_NO_NEW_HANDLER, "spare");
    heap._fpOutOfMemory = GiveUp;
    outOfMemoryCalls = 0;
    emergencyCalls = 0;
    ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(8192, [] { ++emergencyCalls; }));
    const uint32_t size = 40u << 20;
    void* large = heap.AllocMem(size);
    ASSERT_NE(nullptr, large);
    NH_BigPageSet* pageSet = heap._bigPageSets;
    char* base = reinterpret_cast<char*>(pageSet);
    const uint32_t own = RoundUp(size + kAltHeaderSize + kBigBlockOverhead + kBigPageSetHeaderSize,
                                 NH_constants.granularity);
    ASSERT_EQ(own, pageSet->_spare) << "the spare room could not be reserved";
    EXPECT_EQ(own + kLargestBigSpare, static_cast<uint32_t>(pageSet->_reservedEnd - base));
    EXPECT_TRUE(CheckHeap(heap));

    spareStart = base + own;
    NH_fpFailMemoryRequest = FailWhileTheSpareIsReserved;
    void* next = heap.AllocMem(8u << 20); // more than the spare room holds
    NH_fpFailMemoryRequest = nullptr;
    EXPECT_NE(nullptr, next);
    EXPECT_EQ(0, emergencyCalls);
    EXPECT_EQ(0, outOfMemoryCalls);
    EXPECT_EQ(0u, pageSet->_spare);
    EXPECT_EQ(base + own, pageSet->_reservedEnd);
    EXPECT_TRUE(CheckHeap(heap));
    NH_AHeap::SetEmergencyReserve(0, nullptr);
}

// ---- Initialisation ----

TEST(HeapInit, FlagsOfAHeapOnTheStack) {
    struct Case {
        int32_t flags;
        uint32_t lockInUse, bypass;
    } cases[] = {{0, 0, 0},
                 {NH_THREAD_SAFE, 1, 0},
                 {NH_ZERO_FILL, 0, 0},
                 {NH_BYPASS_FREE | NH_THREAD_SAFE, 1, 1}};
    for (const Case& c : cases) {
        NH_Heap heap(c.flags, "test");
        EXPECT_EQ(static_cast<uint32_t>(c.flags), heap._flags); // not static: on the stack
        EXPECT_EQ(1, heap._initialised);
        EXPECT_EQ(c.lockInUse, static_cast<uint32_t>(heap._lockInUse));
        EXPECT_EQ(c.bypass, static_cast<uint32_t>(heap._bypassFree));
        EXPECT_EQ(nullptr, heap._fpOutOfMemory);
    }
}

TEST(HeapInit, TheLibraryHeapsAreStaticAndThreadSafe) {
    EXPECT_EQ(NH_STATIC_HEAP | NH_THREAD_SAFE, HeapForHeaps._flags);
    EXPECT_EQ(1, HeapForHeaps._lockInUse);
    EXPECT_NE(0u, DefaultHeap._flags & NH_STATIC_HEAP);
    EXPECT_EQ(1, DefaultHeap._initialised);
}

TEST(HeapInit, AHeapInDynamicMemoryIsNotStaticWhateverItsStorageHeld) {
    NH_Heap outer(0, "outer");
    void* storage = outer.AllocMem(2000);        // a big block: aligned for a heap in every build
    std::memset(storage, 0xFF, sizeof(NH_Heap)); // looks initialised
    NH_Heap* heap = ::new (storage) NH_Heap(NH_THREAD_SAFE, "inner");
    EXPECT_EQ(static_cast<uint32_t>(NH_THREAD_SAFE), heap->_flags);
    void* block = heap->AllocMem(100);
    EXPECT_EQ(heap, PageSetOf(block)->_heap);
    EXPECT_TRUE(CheckHeap(*heap));
    void* pageSet = PageSetOf(block);
    heap->~NH_Heap();
    EXPECT_EQ(0, NH_IsInDynamicMemoryMap(pageSet));
    outer.FreeMem(storage);
}

// Static storage that no constructor has touched yet.
alignas(NH_Heap) unsigned char lateHeapStorage[sizeof(NH_Heap)];

// A static heap used by a static constructor that runs before the heap's own
// is no object yet: the sanitizer's check of the dynamic type is left out.
__attribute__((no_sanitize("vptr"))) void* AllocBeforeConstruction(NH_Heap* heap, uint32_t size) {
    return heap->AllocMem(size);
}

TEST(HeapInit, AStaticHeapUsedBeforeItsConstructorKeepsItsBlocks) {
    NH_Heap* heap = reinterpret_cast<NH_Heap*>(lateHeapStorage);
    char* block = static_cast<char*>(AllocBeforeConstruction(heap, 100)); // lazy initialisation
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(NH_STATIC_HEAP | NH_THREAD_SAFE | NH_ZERO_FILL, heap->_flags);
    EXPECT_TRUE(IsMemoryFilledWith(block, 100, 0));
    Fill(block, 100, 0x12);

    ::new (lateHeapStorage) NH_Heap(NH_BYPASS_FREE, "late");
    EXPECT_EQ(NH_STATIC_HEAP | NH_BYPASS_FREE, heap->_flags); // lock and zero-fill dropped
    EXPECT_EQ(0, heap->_lockInUse);
    EXPECT_EQ(1, heap->_bypassFree);
    EXPECT_TRUE(HasFill(block, 100, 0x12));
    EXPECT_EQ(1u, TakeCensus(*heap).smallInUse);
    EXPECT_TRUE(CheckHeap(*heap));
    heap->Clear();
    heap->~NH_Heap();
}

// Changes the process-wide InitNewHeap setting and drops the lock of
// "DefaultHeap": it stays the last test of this program, which runs one thread.
std::vector<std::string> shownErrors;

TEST(HeapInitNewHeap, EveryExtraDeclarationShowsTheMessageAndTheLastValueHolds) {
    auto* previousShow = NH_fpShowError;
    NH_fpShowError = [](const char* text, const char* caption) {
        shownErrors.push_back(std::string(caption) + "|" + text);
    };
    int declaredBefore = NH_initNewHeapDeclared;
    { InitNewHeap first(1); }
    { InitNewHeap second(1); }
    EXPECT_EQ(1, DefaultHeap._lockInUse);
    { InitNewHeap third(0); }
    NH_fpShowError = previousShow;

    ASSERT_EQ(declaredBefore ? 3u : 2u, shownErrors.size());
    EXPECT_EQ("NewHeap|Error! You have INIT_NEWHEAP() defined twice in your application!",
              shownErrors[0]);
    EXPECT_EQ(0, NH_initNewHeapMultithreaded);
    EXPECT_EQ(0, DefaultHeap._lockInUse);
    EXPECT_EQ(0u, DefaultHeap._flags & NH_THREAD_SAFE);
    EnsureNewHeap ensure; // does nothing
    EXPECT_EQ(0, DefaultHeap._lockInUse);
}

} // namespace

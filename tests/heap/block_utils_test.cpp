// Blocks as byte buffers (the block utilities), the walk over a heap's blocks
// and virtual blocks. The editing operations run on small blocks, on blocks
// that cross from small to big while they change, on big blocks and on
// virtual blocks, by padding the same cases with a prefix of varying length.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_services.h"
#include "heap/process_state.h"
#include "tests/heap/committed_pages.h"
#include "tests/heap/heap_checker.h"

namespace {

std::string Contents(const void* block) {
    return std::string(static_cast<const char*>(block), NH_Heap::GetBlockSize(block));
}

// ---- Editing operations ----

enum class Op { Insert, Append, Prepend, Remove, Trim, ExpandBy };

struct EditCase {
    const char* name;
    Op op;
    uint32_t offset, count; // offsets are relative to the end of the prefix
    const char* data;       // null: zero bytes
    const char* expected;   // after the prefix; null: the operation is refused
    size_t expectedSize;
};

const EditCase kEditCases[] = {
    {"insert in the middle", Op::Insert, 2, 3, "XYZ", "abXYZcdef", 9},
    {"insert at the end equals append", Op::Insert, 6, 2, "XY", "abcdefXY", 8},
    {"append", Op::Append, 0, 2, "XY", "abcdefXY", 8},
    {"prepend", Op::Prepend, 0, 2, "XY", nullptr, 0}, // checked against the prefix below
    {"insert zero bytes for null data", Op::Insert, 1, 3, nullptr, "a\0\0\0bcdef", 9},
    {"insert nothing", Op::Insert, 3, 0, "XY", "abcdef", 6},
    {"insert beyond the end", Op::Insert, 7, 1, "X", nullptr, 0},
    {"remove from the middle", Op::Remove, 1, 2, nullptr, "adef", 4},
    {"remove the last bytes", Op::Remove, 4, 2, nullptr, "abcd", 4},
    {"remove nothing", Op::Remove, 2, 0, nullptr, "abcdef", 6},
    {"remove past the end", Op::Remove, 4, 3, nullptr, nullptr, 0},
    {"trim", Op::Trim, 1, 3, nullptr, "bcd", 3},
    {"trim keeps the start", Op::Trim, 0, 2, nullptr, "ab", 2},
    {"trim skipping past the end", Op::Trim, 7, 1, nullptr, nullptr, 0},
    {"expand by", Op::ExpandBy, 0, 3, nullptr, "abcdef\0\0\0", 9},
};

void* ApplyEdit(NH_Heap& heap, void* block, const EditCase& c, uint32_t prefix) {
    uint32_t at = prefix + c.offset;
    switch (c.op) {
    case Op::Insert:
        return heap.Insert(block, at, c.data, c.count);
    case Op::Append:
        return heap.Append(block, c.data, c.count);
    case Op::Prepend:
        return heap.Prepend(block, c.data, c.count);
    case Op::Remove:
        return heap.RemoveSubBlock(block, at, c.count);
    case Op::Trim:
        return heap.Trim(block, at, c.count);
    case Op::ExpandBy:
        return heap.ExpandBy(block, c.count, 1);
    }
    return nullptr;
}

// Prefixes that put the block in each kind, and 1014/1015 bytes so that the
// 6 bytes of the case end just below and just at the largest small request.
const uint32_t kPrefixes[] = {0, 1013, 1014, 1015, 3000};

TEST(BlockUtilities, EditingCasesOnEveryKindOfBlock) {
    for (bool isVirtual : {false, true}) {
        for (uint32_t prefix : kPrefixes) {
            for (const EditCase& c : kEditCases) {
                SCOPED_TRACE(std::string(c.name) + (isVirtual ? " virtual" : "") + " prefix " +
                             std::to_string(prefix));
                NH_Heap heap(0, "edit");
                std::string start = std::string(prefix, 'p') + "abcdef";
                void* block = isVirtual ? heap.AllocWithReserve(100000, prefix + 6, 0)
                                        : heap.AllocMem(prefix + 6);
                ASSERT_NE(nullptr, block);
                std::memcpy(block, start.data(), start.size());
                void* result = ApplyEdit(heap, block, c, prefix);
                std::string expected;
                if (c.op == Op::Prepend)
                    expected = "XY" + start;
                else if (c.op == Op::Trim && c.expected)
                    expected = c.expected; // the prefix is trimmed away
                else if (c.expected)
                    expected = std::string(prefix, 'p') + std::string(c.expected, c.expectedSize);
                if (expected.empty()) {
                    EXPECT_EQ(nullptr, result);
                    EXPECT_EQ(start, Contents(block)); // refused: the block is as it was
                } else {
                    ASSERT_NE(nullptr, result);
                    EXPECT_EQ(expected, Contents(result));
                    if (isVirtual || c.count == 0) {
                        EXPECT_EQ(block, result); // virtual blocks never move
                    }
                }
                EXPECT_TRUE(CheckHeap(heap));
            }
        }
    }
}

// Keeping more bytes than follow the skipped ones grows the block; a skip of
// 0 keeps the contents, the bytes that follow a skip move to the start.
TEST(BlockUtilities, TrimKeepingMoreThanTheBlockHoldsGrowsIt) {
    const struct {
        uint32_t size, skip, keep;
    } cases[] = {{6, 0, 9}, {6, 4, 9}, {6, 6, 2}, {1000, 0, 1500}, {3000, 10, 70000}};
    for (bool isVirtual : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.size) + " skip " + std::to_string(c.skip) + " keep " +
                         std::to_string(c.keep) + (isVirtual ? " virtual" : ""));
            NH_Heap heap(0, "trim");
            char* block = static_cast<char*>(isVirtual ? heap.AllocWithReserve(100000, c.size, 0)
                                                       : heap.AllocMem(c.size));
            for (uint32_t i = 0; i < c.size; ++i)
                block[i] = static_cast<char>('a' + i % 26);
            char* trimmed = static_cast<char*>(heap.Trim(block, c.skip, c.keep));
            ASSERT_NE(nullptr, trimmed);
            EXPECT_EQ(c.keep, NH_Heap::GetBlockSize(trimmed));
            for (uint32_t i = 0; i < c.size - c.skip; ++i)
                ASSERT_EQ(static_cast<char>('a' + (i + c.skip) % 26), trimmed[i]) << i;
            EXPECT_TRUE(CheckHeap(heap));
        }
    }
}

TEST(BlockUtilities, InsertingPartOfTheBlockItselfCopiesItFirst) {
    NH_Heap heap(0, "alias");
    char* block = static_cast<char*>(heap.StoreString("0123456789", -1));
    // Growing past the class moves the block: the source must not move with it.
    char* grown = static_cast<char*>(heap.Insert(block, 2, block + 5, 5));
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(std::string("015678923456789", 16), Contents(grown)); // with the terminator
    for (int i = 0; i < 12; ++i)
        grown = static_cast<char*>(heap.Append(grown, grown, NH_Heap::GetBlockSize(grown)));
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(16u << 12, NH_Heap::GetBlockSize(grown));
    EXPECT_EQ(0, std::memcmp(grown, grown + 16, 16));
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(BlockUtilities, StoreStringCopiesTheGivenLengthAndTerminates) {
    NH_Heap heap(0, "strings");
    struct Case {
        const char* text;
        int32_t length;
        const char* expected;
    } cases[] = {
        {"abcdef", -1, "abcdef"}, {"abcdef", 3, "abc"}, {"abcdef", 0, ""}, {nullptr, -1, ""}};
    for (const Case& c : cases) {
        char* copy = heap.StoreString(c.text, c.length);
        ASSERT_NE(nullptr, copy);
        EXPECT_STREQ(c.expected, copy);
        EXPECT_EQ(std::strlen(c.expected) + 1, NH_Heap::GetBlockSize(copy));
    }
}

TEST(BlockUtilities, StoreDataCloneAllocAndBlockSizes) {
    NH_Heap heap(0, "data");
    const char bytes[] = "0123456789";
    for (uint32_t size : {0u, 10u, 1020u, 1021u, 70000u}) {
        std::vector<char> data(size);
        for (uint32_t i = 0; i < size; ++i)
            data[i] = bytes[i % 10];
        void* stored = heap.StoreData(data.data(), size);
        ASSERT_NE(nullptr, stored);
        EXPECT_EQ(size, NH_Heap::GetBlockSize(stored));
        void* clone = heap.Clone(stored);
        ASSERT_NE(nullptr, clone);
        EXPECT_NE(stored, clone);
        EXPECT_EQ(Contents(stored), Contents(clone));
        EXPECT_EQ(std::string(data.begin(), data.end()), Contents(clone));
        void* cleared = heap.Alloc(size, 1);
        EXPECT_TRUE(IsMemoryFilledWith(cleared, size, 0));
    }
    EXPECT_NE(nullptr, heap.StoreData(nullptr, 30));
    EXPECT_EQ(0u, NH_Heap::GetBlockSize(nullptr));
    EXPECT_TRUE(CheckHeap(heap));
}

// ---- Walking the blocks ----

void Collect(void* block, void* argument) {
    static_cast<std::vector<void*>*>(argument)->push_back(block);
}

int IsBlock(void* block, void* argument) {
    return block == argument;
}

TEST(BlockWalk, NewestPageSetFirstThenAlternativeBlocksNewestFirst) {
    NH_Heap heap(0, "walk");
    std::vector<void*> older;
    for (int i = 0; i < 63; ++i) // fills the first page set with blocks of 1024
        older.push_back(heap.AllocMem(1020));
    void* newer = heap.AllocMem(1020); // opens a second page set
    void* freed = older[5];
    heap.FreeMem(freed);
    void* big = heap.AllocMem(5000);
    void* virtualBlock = heap.AllocWithReserve(70000, 10, 0);
    older.erase(older.begin() + 5);

    std::vector<void*> expected = {newer};
    expected.insert(expected.end(), older.begin(), older.end());
    expected.push_back(virtualBlock);
    expected.push_back(big);
    std::vector<void*> visited;
    heap.ForEach(Collect, &visited);
    EXPECT_EQ(expected, visited); // the free block and the cut remainder are skipped

    EXPECT_EQ(big, heap.FindFirstThat(IsBlock, big));
    EXPECT_EQ(nullptr, heap.FindFirstThat(IsBlock, freed));
    NH_Heap empty(0, "empty");
    EXPECT_EQ(nullptr, empty.FindFirstThat(IsBlock, nullptr));
}

// ---- Virtual blocks ----

struct VirtualHeader {
    uint32_t size, reserved, committed;
};

const VirtualHeader& HeaderOf(const void* block) {
    return *reinterpret_cast<const VirtualHeader*>(static_cast<const char*>(block) -
                                                   kVirtualHeaderSize);
}

TEST(VirtualBlocks, ReserveUpFrontCommitAsTheyGrowNeverMove) {
    char* block = static_cast<char*>(AllocVirtual(100000, 10, 1));
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(block - kVirtualHeaderSize) % 65536);
    EXPECT_EQ(10u, HeaderOf(block).size);
    EXPECT_EQ(131072u, HeaderOf(block).reserved); // 100000 and the header, in 64 KB units
    EXPECT_EQ(4096u, HeaderOf(block).committed);
    EXPECT_TRUE(IsMemoryFilledWith(block, 10, 0));
    EXPECT_NE(0, IsDynamicMemory(block));

    std::memset(block, 'x', 4096 - kVirtualHeaderSize); // the whole first page
    EXPECT_EQ(block, ResizeVirtual(block, 50000, 1));
    EXPECT_EQ(53248u, HeaderOf(block).committed); // 50000 and the header, in pages
    EXPECT_TRUE(IsMemoryFilledWith(block, 10, 'x'));
    EXPECT_TRUE(IsMemoryFilledWith(block + 10, 50000 - 10, 0)); // cleared from the old size on
    std::memset(block, 'x', 50000);

    EXPECT_EQ(nullptr,
              ResizeVirtual(block, 131072 - kVirtualHeaderSize + 1, 0)); // beyond the reservation
    EXPECT_EQ(50000u, HeaderOf(block).size);
    EXPECT_EQ(block,
              ResizeVirtual(block, 131072 - kVirtualHeaderSize, 0)); // exactly the reservation

    EXPECT_EQ(block, ResizeVirtual(block, 20, 0));
    EXPECT_EQ(4096u, HeaderOf(block).committed);
    EXPECT_FALSE(IsCommitted(block + 4096));
    EXPECT_EQ(block, ResizeVirtual(block, 100, 1)); // the old bytes 20..99 are cleared
    EXPECT_TRUE(IsMemoryFilledWith(block, 20, 'x'));
    EXPECT_TRUE(IsMemoryFilledWith(block + 20, 80, 0));

    FreeVirtual(block);
    EXPECT_EQ(0, IsDynamicMemory(block));
    EXPECT_FALSE(IsCommitted(block));
}

TEST(VirtualBlocks, ImpossibleRequestsGiveNull) {
    EXPECT_EQ(nullptr, AllocVirtual(10, 70000, 0));       // commit beyond the reservation
    EXPECT_EQ(nullptr, AllocVirtual(0xFFFFFFF8u, 10, 0)); // the rounding overflows
    EXPECT_EQ(nullptr, AllocVirtual(0x7FFF0000u, 10, 0)); // no such hole
}

TEST(VirtualBlocks, AHeapsVirtualBlockGrowsInPlaceUpToItsReserve) {
    NH_Heap heap(NH_NO_NEW_HANDLER, "virtual");
    char* block = static_cast<char*>(heap.AllocWithReserve(200000, 1000, 1));
    ASSERT_NE(nullptr, block);
    NH_AltBlock* header = AltHeaderOf(block);
    EXPECT_EQ(1u, header->_virtual);
    EXPECT_EQ(&heap, header->_heap);
    EXPECT_EQ(header, heap._altBlocks);
    EXPECT_EQ(1, heap._virtualCount);
    EXPECT_EQ(1000u, NH_Heap::GetBlockSize(block));
    EXPECT_EQ(1000 + kAltHeaderSize, HeaderOf(header).size); // counting the heap's header

    std::memset(block, 'v', 1000);
    EXPECT_EQ(block, heap.ReAlloc(block, 150000, 1));
    EXPECT_TRUE(IsMemoryFilledWith(block, 1000, 'v'));
    EXPECT_TRUE(IsMemoryFilledWith(block + 1000, 149000, 0));
    EXPECT_EQ(nullptr, heap.ReAlloc(block, 300000, 0)); // beyond the reserve
    EXPECT_EQ(150000u, NH_Heap::GetBlockSize(block));
    EXPECT_EQ(block, heap.ReAlloc(block, 10, 0));
    EXPECT_TRUE(IsMemoryFilledWith(block, 10, 'v'));
    {
        // No amount of memory helps there: neither the emergency reserve nor
        // a new-handler (one that always returns would be called forever).
        NH_Heap handled(0, "handled");
        void* small = handled.AllocWithReserve(5000, 10, 0);
        static int handlerCalls;
        handlerCalls = 0;
        ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(4096, nullptr));
        std::new_handler previous = std::set_new_handler([] { ++handlerCalls; });
        EXPECT_EQ(nullptr, handled.ReAlloc(small, 100000, 0));
        std::set_new_handler(previous);
        EXPECT_EQ(0, handlerCalls);
        uint32_t committed;
        void* reserve = NH_TakeEmergencyReserve(&committed);
        EXPECT_NE(nullptr, reserve); // still there
        if (reserve) NH_ReleaseRegion(reserve, NH_constants.granularity);
        EXPECT_EQ(small, handled.ReAlloc(small, 5000, 0)); // within the reserve
    }
    EXPECT_TRUE(CheckHeap(heap));

    heap.FreeMem(block);
    EXPECT_EQ(0, heap._virtualCount);
    EXPECT_EQ(nullptr, heap._altBlocks);
    EXPECT_EQ(0, IsDynamicMemory(block));

    void* cleared = heap.AllocWithReserve(100000, 10, 0);
    heap.AllocMem(5000);
    heap.Clear(); // virtual blocks go back with the heap
    EXPECT_EQ(0, heap._virtualCount);
    EXPECT_EQ(0, IsDynamicMemory(cleared));
    EXPECT_TRUE(CheckHeap(heap));
}

} // namespace

// The pure tables of the memory manager: size classes and the dynamic-memory map.

#include <gtest/gtest.h>

#include <cstdint>

#include "heap/dynamic_memory_map.h"
#include "heap/size_classes.h"

namespace {

// ---- Size classes ----

TEST(SizeClasses, FollowTheGrowthRuleUpTo1024) {
    const uint32_t expected[kSizeClassCount] = {
        12,  16,  20,  24,  28,  32,  36,  40,  44,  48,  52,  56,  60,  64,  68,   72,  76,
        80,  84,  88,  92,  96,  100, 108, 116, 124, 132, 140, 148, 156, 164, 172,  180, 192,
        204, 216, 228, 240, 252, 264, 280, 296, 312, 328, 344, 364, 384, 404, 424,  448, 472,
        496, 520, 548, 576, 604, 636, 668, 704, 740, 780, 820, 864, 908, 956, 1004, 1024};
    SizeClassTable table;
    BuildSizeClasses(table);
    for (uint32_t i = 0; i < kSizeClassCount; ++i)
        EXPECT_EQ(expected[i], table.sizes[i]) << "class " << i;
}

TEST(SizeClasses, LookupGivesTheSmallestClassThatHoldsTheTotal) {
    SizeClassTable table;
    BuildSizeClasses(table);
    for (uint32_t total = 0; total <= kLargestSmallBlock; ++total) {
        uint32_t index = table.classOfTotal[total];
        ASSERT_LT(index, kSizeClassCount);
        EXPECT_GE(table.sizes[index], total) << total;
        if (index > 0) {
            EXPECT_LT(table.sizes[index - 1], total) << total;
        }
    }
    struct Case {
        uint32_t total, blockSize;
    } cases[] = {{0, 12}, {4, 12}, {12, 12}, {13, 16}, {101, 108}, {1005, 1024}, {1024, 1024}};
    for (const Case& c : cases)
        EXPECT_EQ(c.blockSize, table.sizes[table.classOfTotal[c.total]]) << c.total;
}

// ---- Dynamic-memory map ----

TEST(DynamicMemoryMap, MarksEveryRegionARangeTouches) {
    static DynamicMemoryMap map;
    const uintptr_t base = 0x00120000;
    map.Mark(base, 0x20000, true); // exactly two regions
    EXPECT_FALSE(map.Contains(base - 1));
    EXPECT_TRUE(map.Contains(base));
    EXPECT_TRUE(map.Contains(base + 0x1FFFF));
    EXPECT_FALSE(map.Contains(base + 0x20000));

    map.Mark(base + 0x2FFFF, 2, true); // straddles a region boundary
    EXPECT_TRUE(map.Contains(base + 0x20000));
    EXPECT_TRUE(map.Contains(base + 0x30000));

    map.Mark(base, 0x40000, false);
    for (uintptr_t address = base; address < base + 0x40000; address += 0x10000)
        EXPECT_FALSE(map.Contains(address));
}

TEST(DynamicMemoryMap, KnowsNothingBeyondFourGigabytesOrOfEmptyRanges) {
    static DynamicMemoryMap map;
    map.Mark(0x00500000, 0, true);
    EXPECT_FALSE(map.Contains(0x00500000));
    map.Mark(0xFFFF0000u, 0x10000, true); // the last region
    EXPECT_TRUE(map.Contains(0xFFFFFFFFu));
    if (sizeof(uintptr_t) > 4) {
        EXPECT_FALSE(map.Contains(static_cast<uintptr_t>(0x1FFFF0000ull)));
    }
}

} // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/random_generator.h"

namespace {

// The published check of the minimal standard generator.
TEST(RandomGenerator, TenThousandthStateFromSeedOne) {
    RandomGenerator generator(1);
    for (int i = 0; i < 10000; ++i)
        generator.NextRandom(0x7FFFFFFF);
    EXPECT_EQ(1043618065u, generator.GetState());
}

TEST(RandomGenerator, SeedZeroAndRangeZero) {
    RandomGenerator generator(0);
    EXPECT_EQ(1u, generator.GetState());
    EXPECT_EQ(0u, generator.NextRandom(0));
    EXPECT_EQ(1u, generator.GetState());
    EXPECT_EQ(16807u % 1000, generator.NextRandom(1000));
    EXPECT_EQ(16807u, generator.GetState());
}

TEST(RandomGenerator, StatesAboveTheModulusStayInRange) {
    RandomGenerator generator(0xFFFFFFFFu);
    for (int i = 0; i < 100; ++i) {
        generator.NextRandom(1);
        EXPECT_GT(generator.GetState(), 0u);
        EXPECT_LT(generator.GetState(), 2147483647u);
    }
}

TEST(RandomGenerator, DerivedDrawsStayInTheirRanges) {
    RandomGenerator generator(42);
    for (int i = 0; i < 1000; ++i) {
        const int32_t between = generator.RandomBetween(-5, 5);
        EXPECT_GE(between, -5);
        EXPECT_LE(between, 5);
        EXPECT_LT(generator.RandomBelowRandom(10), 10u);
    }
    EXPECT_EQ(0, generator.Chance(0, 10));
    EXPECT_EQ(1, generator.Chance(10, 10));
    EXPECT_EQ(1, generator.OneIn(1));
    // Equal seeds, equal draws: RandomBetween is low + NextRandom(range).
    RandomGenerator a(7), b(7);
    EXPECT_EQ(static_cast<int32_t>(100 + b.NextRandom(11)), a.RandomBetween(100, 110));
    EXPECT_EQ(static_cast<int32_t>(b.NextRandom(0)),
              a.RandomBetween(0, -1)); // full range wraps to 0
}

TEST(RandomGenerator, RandomText) {
    RandomGenerator generator(3);
    String text("old");
    generator.RandomText(text, 5, 3);
    EXPECT_TRUE(text.empty());
    for (int i = 0; i < 200; ++i) {
        generator.RandomText(text, 2, 6);
        EXPECT_GE(text.GetLength(), 2);
        EXPECT_LE(text.GetLength(), 6);
        for (char c : text)
            EXPECT_TRUE(isalnum(static_cast<unsigned char>(c))) << text;
    }
    generator.RandomText(text, 4, 4, "x");
    EXPECT_STREQ("xxxx", text.GetText());
    generator.RandomText(text, 4, 4, "");
    EXPECT_TRUE(text.empty());
}

TEST(RandomGenerator, ShuffleIsAPermutation) {
    RandomGenerator generator(11);
    uint32_t* order = generator.Shuffle(100);
    std::vector<uint32_t> sorted(order, order + 100);
    std::sort(sorted.begin(), sorted.end());
    for (uint32_t i = 0; i < 100; ++i)
        EXPECT_EQ(i, sorted[i]);
    free(order);

    uint32_t given[3] = {9, 9, 9};
    EXPECT_EQ(given, generator.Shuffle(3, given));
    EXPECT_EQ(3u, given[0] + given[1] + given[2]);
    EXPECT_EQ(nullptr, generator.Shuffle(0));

    // The exchange order is fixed: from seed 1 with two entries the first
    // draw (16807 % 2 = 1) leaves them in place.
    RandomGenerator fixed(1);
    uint32_t two[2];
    fixed.Shuffle(2, two);
    EXPECT_EQ(0u, two[0]);
    EXPECT_EQ(1u, two[1]);
}

TEST(RandomGenerator, QuickRandomUsesTheLowSixteenBits) {
    RandomGenerator generator(1);
    EXPECT_EQ(0u, generator.QuickRandom(0x10000));
    EXPECT_EQ(1u, generator.GetState());
    const uint32_t next = 1u * 22695477u + 1;
    EXPECT_EQ((next >> 16) % 1000, generator.QuickRandom(0x103E8)); // n & 0xFFFF == 1000
    EXPECT_EQ(next, generator.GetState());
}

} // namespace

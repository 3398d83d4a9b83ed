// Randomised stress of NH_Heap against a shadow model: seeded
// allocate/free/resize steps over sizes from 0 bytes to several megabytes.
// Every block carries a pattern derived from its id, checked before the block
// is freed or resized; the heap checker runs at intervals. The normal run
// takes a few seconds; TROVIK_HEAP_STRESS_STEPS=<n> sets the steps per run
// (per thread in the threaded runs) for longer ones, TROVIK_HEAP_STRESS_SEED
// shifts every seed.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_services.h"
#include "tests/heap/heap_checker.h"

namespace {

uint32_t StepsPerRun(uint32_t normal) {
    const char* text = std::getenv("TROVIK_HEAP_STRESS_STEPS");
    return text && std::atoi(text) > 0 ? static_cast<uint32_t>(std::atoi(text)) : normal;
}

uint64_t Seed(uint64_t normal) {
    const char* text = std::getenv("TROVIK_HEAP_STRESS_SEED");
    return normal + (text ? std::strtoull(text, nullptr, 10) * 1000 : 0);
}

// Seeded draws: the same seed gives the same run.
class Random : public std::mt19937_64 {
public:
    using std::mt19937_64::mt19937_64;
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>((*this)() % bound); }
};

// Mostly small blocks, often around the small/big boundary, rarely huge ones.
uint32_t RandomSize(Random& random) {
    uint32_t kind = random.Below(10000);
    if (kind < 7000) return random.Below(129);
    if (kind < 9000) return 129 + random.Below(1100 - 129);
    if (kind < 9500) return 1000 + random.Below(48); // 1020 / 1021
    if (kind < 9995) return 1100 + random.Below(64 * 1024);
    return 64 * 1024 + random.Below(4 * 1024 * 1024);
}

// The pattern of the block with this id: one word for every four bytes,
// the last one cut to the bytes left.
uint32_t PatternWord(uint32_t id, uint32_t i) {
    return id * 0x9E3779B1u + (i >> 2) * 0x01000193u;
}

void FillPattern(char* block, uint32_t size, uint32_t id) {
    uint32_t i = 0;
    for (uint32_t word; i + 4 <= size; i += 4)
        std::memcpy(block + i, &(word = PatternWord(id, i)), 4);
    const uint32_t last = PatternWord(id, i);
    std::memcpy(block + i, &last, size - i);
}

bool HasPattern(const char* block, uint32_t size, uint32_t id) {
    uint32_t i = 0;
    for (uint32_t word; i + 4 <= size; i += 4)
        if (std::memcmp(block + i, &(word = PatternWord(id, i)), 4) != 0) return false;
    const uint32_t last = PatternWord(id, i);
    return std::memcmp(block + i, &last, size - i) == 0;
}

struct Slot {
    char* block = nullptr;
    uint32_t size = 0;
    uint32_t id = 0;
};

// One thread's share: its blocks come from one heap and are freed and resized
// through another (the same one when single-threaded), as a block's owner is
// found from the block.
class ShadowRun {
public:
    ShadowRun(NH_Heap& allocating, NH_Heap& releasing, uint64_t seed, uint32_t slotCount)
        : _allocating(allocating), _releasing(releasing), _random(seed), _slots(slotCount),
          _idBase(static_cast<uint32_t>(seed) << 24) {}

    // Runs steps; stops at the first fault with a message.
    ::testing::AssertionResult Run(uint32_t steps, uint32_t checkEvery) {
        for (uint32_t step = 0; step < steps; ++step) {
            ::testing::AssertionResult result = Step();
            if (!result) return result << " (step " << step << ")";
            if (checkEvery && (step + 1) % checkEvery == 0) {
                ::testing::AssertionResult verdict = CheckHeap(_allocating);
                if (!verdict) return verdict << " (step " << step << ")";
            }
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult FreeAll() {
        for (Slot& slot : _slots) {
            if (!slot.block) continue;
            if (!HasPattern(slot.block, slot.size, slot.id))
                return ::testing::AssertionFailure()
                       << "pattern of block " << slot.id << " damaged";
            _releasing.FreeMem(slot.block);
            slot = Slot();
        }
        return ::testing::AssertionSuccess();
    }

private:
    ::testing::AssertionResult Step() {
        Slot& slot = _slots[_random.Below(static_cast<uint32_t>(_slots.size()))];
        if (!slot.block) return Allocate(slot);
        if (!HasPattern(slot.block, slot.size, slot.id))
            return ::testing::AssertionFailure()
                   << "pattern of block " << slot.id << " (" << slot.size << " bytes) damaged";
        if (_random.Below(2) == 0) {
            _releasing.FreeMem(slot.block);
            slot = Slot();
            return ::testing::AssertionSuccess();
        }
        return Resize(slot);
    }

    ::testing::AssertionResult Allocate(Slot& slot) {
        uint32_t size = RandomSize(_random);
        char* block = static_cast<char*>(_allocating.AllocMem(size));
        if (!block) return ::testing::AssertionFailure() << "AllocMem(" << size << ") failed";
        if ((_allocating._flags & NH_ZERO_FILL) && !IsMemoryFilledWith(block, size, 0))
            return ::testing::AssertionFailure()
                   << "zero-fill block of " << size << " bytes not cleared";
        Give(slot, block, size);
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult Resize(Slot& slot) {
        uint32_t size = _random.Below(20) == 0 ? 0 : RandomSize(_random);
        char* block = static_cast<char*>(_releasing.ReAlloc(slot.block, size, 0));
        if (!block) return ::testing::AssertionFailure() << "ReAlloc to " << size << " failed";
        uint32_t kept = size < slot.size ? size : slot.size;
        if (!HasPattern(block, kept, slot.id))
            return ::testing::AssertionFailure()
                   << "ReAlloc " << slot.size << " -> " << size << " lost the contents";
        if ((_releasing._flags & NH_ZERO_FILL) && !IsMemoryFilledWith(block + kept, size - kept, 0))
            return ::testing::AssertionFailure()
                   << "ReAlloc " << slot.size << " -> " << size << " left the grown part dirty";
        Give(slot, block, size);
        return ::testing::AssertionSuccess();
    }

    void Give(Slot& slot, char* block, uint32_t size) {
        slot.block = block;
        slot.size = size;
        slot.id = _idBase + ++_nextId;
        FillPattern(block, size, slot.id);
    }

    NH_Heap& _allocating;
    NH_Heap& _releasing;
    Random _random;
    std::vector<Slot> _slots;
    uint32_t _idBase;
    uint32_t _nextId = 0;
};

::testing::AssertionResult NothingInUse(const NH_Heap& heap) {
    HeapCensus census = TakeCensus(heap);
    if (census.smallInUse || census.bigInUse)
        return ::testing::AssertionFailure() << census.smallInUse << " small and "
                                             << census.bigInUse << " big blocks still in use";
    return ::testing::AssertionSuccess();
}

// ---- One thread ----

void RunSingle(int32_t flags, uint64_t seed, uint32_t steps) {
    NH_Heap heap(flags, "stress");
    ShadowRun run(heap, heap, Seed(seed), 3000);
    ASSERT_TRUE(run.Run(steps, 5000)) << "seed " << Seed(seed);
    ASSERT_TRUE(CheckHeap(heap));
    ASSERT_TRUE(run.FreeAll());
    ASSERT_TRUE(CheckHeap(heap));
    EXPECT_TRUE(NothingInUse(heap));
}

TEST(HeapStress, OneThreadAgainstTheShadowModel) {
    RunSingle(0, 1, StepsPerRun(150000));
}

TEST(HeapStress, OneThreadOnAThreadSafeHeap) {
    RunSingle(NH_THREAD_SAFE, 2, StepsPerRun(50000));
}

TEST(HeapStress, ZeroFillHeapClearsNewBlocksAndGrownParts) {
    RunSingle(NH_ZERO_FILL, 3, StepsPerRun(80000));
}

// ---- Several threads ----

// Threads allocate from one of two thread-safe heaps and free and resize
// through the other; the heaps are checked between rounds.
void RunThreads(uint32_t threadCount, uint32_t stepsPerThread) {
    NH_Heap heaps[2] = {NH_Heap(NH_THREAD_SAFE, "stress A"), NH_Heap(NH_THREAD_SAFE, "stress B")};
    std::vector<ShadowRun> runs;
    runs.reserve(threadCount);
    for (uint32_t t = 0; t < threadCount; ++t)
        runs.emplace_back(heaps[t % 2], heaps[(t + 1) % 2], Seed(100 + t), 1500);
    const uint32_t rounds = 5;
    std::vector<::testing::AssertionResult> results(threadCount, ::testing::AssertionSuccess());
    for (uint32_t round = 0; round < rounds; ++round) {
        std::vector<std::thread> threads;
        for (uint32_t t = 0; t < threadCount; ++t)
            threads.emplace_back([&, t] { results[t] = runs[t].Run(stepsPerThread / rounds, 0); });
        for (std::thread& thread : threads)
            thread.join();
        for (uint32_t t = 0; t < threadCount; ++t)
            ASSERT_TRUE(results[t]) << "thread " << t << ", round " << round;
        ASSERT_TRUE(CheckHeap(heaps[0])) << "round " << round;
        ASSERT_TRUE(CheckHeap(heaps[1])) << "round " << round;
    }
    for (ShadowRun& run : runs)
        ASSERT_TRUE(run.FreeAll());
    for (NH_Heap& heap : heaps) {
        EXPECT_TRUE(CheckHeap(heap));
        EXPECT_TRUE(NothingInUse(heap));
    }
}

TEST(HeapStress, TwoThreadsOnThreadSafeHeaps) {
    RunThreads(2, StepsPerRun(50000));
}

TEST(HeapStress, FourThreadsOnThreadSafeHeaps) {
    RunThreads(4, StepsPerRun(30000));
}

} // namespace

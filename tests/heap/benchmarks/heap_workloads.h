#pragma once
// The workloads of the heap benchmarks, as templates over an allocator type
// with static Alloc, Free and Realloc:
//
//   Churn       random sizes of 8 to 512 bytes, 10,000 live blocks per thread:
//               one free and one allocation per item
//   Scatter     one million blocks of 16 to 1024 bytes (split between the
//               threads) allocated, then freed in random order
//   GrowDouble  one buffer grown by realloc from 1 byte to 16 MB by doubling
//   GrowSteps   the same in steps of 1000 bytes
//
// NhHeap is this memory manager: one thread-safe NH_Heap shared by the
// threads of a run, like every other allocator measured.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "heap/heap.h"

namespace heap_bench {

inline NH_Heap& BenchHeap() {
    static NH_Heap heap(NH_THREAD_SAFE, "bench");
    return heap;
}

struct NhHeap {
    static void* Alloc(size_t size) { return BenchHeap().AllocMem(static_cast<uint32_t>(size)); }
    static void Free(void* block) { BenchHeap().FreeMem(block); }
    static void* Realloc(void* block, size_t size) {
        return BenchHeap().ReAlloc(block, static_cast<uint32_t>(size), 0);
    }
};

// Random sizes and slots drawn before timing starts.
struct RandomTable {
    RandomTable(uint32_t count, uint32_t smallest, uint32_t largest, uint32_t slots,
                uint32_t seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<uint32_t> size(smallest, largest), slot(0, slots - 1);
        for (uint32_t i = 0; i < count; ++i) {
            sizes.push_back(size(random));
            slotOf.push_back(slot(random));
        }
    }
    std::vector<uint32_t> sizes, slotOf;
};

template <typename Heap>
void Churn(benchmark::State& state) {
    const uint32_t kLive = 10000, kTable = 1 << 16;
    RandomTable table(kTable, 8, 512, kLive, 1234 + state.thread_index());
    std::vector<void*> live(kLive);
    for (uint32_t i = 0; i < kLive; ++i)
        live[i] = Heap::Alloc(table.sizes[i]);
    uint32_t step = 0;
    for (auto _ : state) {
        uint32_t at = step++ & (kTable - 1);
        void*& slot = live[table.slotOf[at]];
        Heap::Free(slot);
        slot = Heap::Alloc(table.sizes[at]);
        benchmark::DoNotOptimize(slot);
    }
    for (void* block : live)
        Heap::Free(block);
    state.SetItemsProcessed(state.iterations());
}

template <typename Heap>
void Scatter(benchmark::State& state) {
    const uint32_t count = 1000000 / state.threads();
    RandomTable table(count, 16, 1024, 1, 99 + state.thread_index());
    std::vector<uint32_t> order(count);
    for (uint32_t i = 0; i < count; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7 + state.thread_index()));
    std::vector<void*> blocks(count);
    for (auto _ : state) {
        for (uint32_t i = 0; i < count; ++i)
            blocks[i] = Heap::Alloc(table.sizes[i]);
        for (uint32_t i : order)
            Heap::Free(blocks[i]);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

template <typename Heap>
void Grow(benchmark::State& state, bool doubling) {
    const size_t kLimit = 16u << 20;
    uint64_t steps = 0;
    for (auto _ : state) {
        char* buffer = static_cast<char*>(Heap::Alloc(1));
        buffer[0] = 1;
        for (size_t size = 1; size < kLimit;) {
            size = doubling ? size * 2 : std::min(size + 1000, kLimit);
            buffer = static_cast<char*>(Heap::Realloc(buffer, size));
            if (!buffer) {
                state.SkipWithError("realloc failed");
                return;
            }
            buffer[size - 1] = 1; // touch the new end
            ++steps;
        }
        Heap::Free(buffer);
    }
    state.SetItemsProcessed(static_cast<int64_t>(steps));
}

template <typename Heap>
void GrowDouble(benchmark::State& state) {
    Grow<Heap>(state, true);
}

template <typename Heap>
void GrowSteps(benchmark::State& state) {
    Grow<Heap>(state, false);
}

} // namespace heap_bench

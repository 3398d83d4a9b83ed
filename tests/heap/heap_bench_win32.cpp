// NH_Heap against the platform's heaps, side by side in one run: the C
// runtime DLL's own malloc/free/realloc (reached past the replaced ones) and
// HeapAlloc/HeapFree/HeapReAlloc on the process heap. Every heap is shared
// by the threads of a run, so the NH_Heap is a thread-safe one.
//
//   Churn       random sizes of 8 to 512 bytes, 10,000 live blocks per thread:
//               one free and one allocation per item
//   Scatter     one million blocks of 16 to 1024 bytes (split between the
//               threads) allocated, then freed in random order
//   GrowDouble  one buffer grown by realloc from 1 byte to 16 MB by doubling
//   GrowSteps   the same in steps of 1000 bytes

#include <benchmark/benchmark.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "heap/heap.h"

namespace {

NH_Heap benchHeap(NH_THREAD_SAFE, "bench");

struct NhHeap {
    static void* Alloc(size_t size) { return benchHeap.AllocMem(static_cast<uint32_t>(size)); }
    static void Free(void* block) { benchHeap.FreeMem(block); }
    static void* Realloc(void* block, size_t size) {
        return benchHeap.ReAlloc(block, static_cast<uint32_t>(size), 0);
    }
};

template <typename Function>
Function PlatformFunction(const char* name) {
    FARPROC address = GetProcAddress(GetModuleHandleA("msvcrt.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

struct CrtHeap {
    using MallocFunction = void*(__cdecl*)(size_t);
    using FreeFunction = void(__cdecl*)(void*);
    using ReallocFunction = void*(__cdecl*)(void*, size_t);
    static inline MallocFunction malloc = PlatformFunction<MallocFunction>("malloc");
    static inline FreeFunction free = PlatformFunction<FreeFunction>("free");
    static inline ReallocFunction realloc = PlatformFunction<ReallocFunction>("realloc");

    static void* Alloc(size_t size) { return malloc(size); }
    static void Free(void* block) { free(block); }
    static void* Realloc(void* block, size_t size) { return realloc(block, size); }
};

struct ProcessHeap {
    static inline HANDLE heap = GetProcessHeap();
    static void* Alloc(size_t size) { return HeapAlloc(heap, 0, size); }
    static void Free(void* block) { HeapFree(heap, 0, block); }
    static void* Realloc(void* block, size_t size) {
        return block ? HeapReAlloc(heap, 0, block, size) : HeapAlloc(heap, 0, size);
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

#define HEAP_BENCHMARKS(Name, ...)                                                                 \
    BENCHMARK_TEMPLATE(Name, NhHeap)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__;           \
    BENCHMARK_TEMPLATE(Name, CrtHeap)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__;          \
    BENCHMARK_TEMPLATE(Name, ProcessHeap)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__

HEAP_BENCHMARKS(Churn, );
HEAP_BENCHMARKS(Scatter, ->Unit(benchmark::kMillisecond)->Iterations(3));
HEAP_BENCHMARKS(GrowDouble, ->Unit(benchmark::kMicrosecond));
HEAP_BENCHMARKS(GrowSteps, ->Unit(benchmark::kMillisecond)->Iterations(2));

} // namespace

BENCHMARK_MAIN();

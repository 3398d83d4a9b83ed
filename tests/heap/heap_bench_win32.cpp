// NH_Heap, and the global allocation that serves the library from it,
// against the platform's heaps under Wine, side by side in one run:
// the C runtime DLL's own malloc/free/realloc (reached past the replaced
// ones) and HeapAlloc/HeapFree/HeapReAlloc on the process heap. The
// workloads are those of tests/heap/benchmarks/heap_workloads.h.

#include <benchmark/benchmark.h>

#include <windows.h>

#include <cstdlib>

#include "tests/heap/benchmarks/heap_workloads.h"

namespace {

using namespace heap_bench;

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

// The replaced global allocation: the calling thread's default heap, as
// every allocation of the library reaches it.
struct GlobalAllocation {
    static void* Alloc(size_t size) { return std::malloc(size); }
    static void Free(void* block) { std::free(block); }
    static void* Realloc(void* block, size_t size) { return std::realloc(block, size); }
};

struct ProcessHeap {
    static inline HANDLE heap = GetProcessHeap();
    static void* Alloc(size_t size) { return HeapAlloc(heap, 0, size); }
    static void Free(void* block) { HeapFree(heap, 0, block); }
    static void* Realloc(void* block, size_t size) {
        return block ? HeapReAlloc(heap, 0, block, size) : HeapAlloc(heap, 0, size);
    }
};

#define HEAP_BENCHMARKS(Name, ...)                                                                 \
    BENCHMARK_TEMPLATE(Name, NhHeap)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__;           \
    BENCHMARK_TEMPLATE(Name, GlobalAllocation)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__; \
    BENCHMARK_TEMPLATE(Name, CrtHeap)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__;          \
    BENCHMARK_TEMPLATE(Name, ProcessHeap)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__

HEAP_BENCHMARKS(Churn, );
HEAP_BENCHMARKS(Scatter, ->Unit(benchmark::kMillisecond)->Iterations(3));
HEAP_BENCHMARKS(GrowDouble, ->Unit(benchmark::kMicrosecond));
HEAP_BENCHMARKS(GrowSteps, ->Unit(benchmark::kMillisecond)->Iterations(2));

} // namespace

BENCHMARK_MAIN();

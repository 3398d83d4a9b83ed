// NH_Heap natively against the best general-purpose allocators, side by side
// in one run: glibc's malloc, mimalloc and jemalloc, each reached through its
// own functions. mimalloc is loaded with dlopen and kept local, so that it
// does not take the program's malloc over; jemalloc cannot be loaded so (its
// thread-local storage must exist at start) and is linked: it serves the
// program's own allocations, and is measured through mallocx and dallocx.
// glibc's malloc is reached as __libc_malloc. The workloads are those of
// heap_workloads.h.

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <jemalloc/jemalloc.h>

#include <cstdio>
#include <cstdlib>

#include "tests/heap/benchmarks/heap_workloads.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void __libc_free(void* block);
extern "C" void* __libc_realloc(void* block, size_t size);

namespace {

using namespace heap_bench;

struct GlibcMalloc {
    static void* Alloc(size_t size) { return __libc_malloc(size); }
    static void Free(void* block) { __libc_free(block); }
    static void* Realloc(void* block, size_t size) { return __libc_realloc(block, size); }
};

// The malloc, free and realloc of a shared library, under the given names.
struct LoadedAllocator {
    LoadedAllocator(const char* library, const char* malloc, const char* free,
                    const char* realloc) {
        void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            std::fprintf(stderr, "heap_compare_bench: %s\n", dlerror());
            std::exit(1);
        }
        alloc = reinterpret_cast<void* (*)(size_t)>(dlsym(handle, malloc));
        release = reinterpret_cast<void (*)(void*)>(dlsym(handle, free));
        resize = reinterpret_cast<void* (*)(void*, size_t)>(dlsym(handle, realloc));
    }
    void* (*alloc)(size_t);
    void (*release)(void*);
    void* (*resize)(void*, size_t);
};

struct Mimalloc {
    static inline LoadedAllocator lib{"libmimalloc.so.2", "mi_malloc", "mi_free", "mi_realloc"};
    static void* Alloc(size_t size) { return lib.alloc(size); }
    static void Free(void* block) { lib.release(block); }
    static void* Realloc(void* block, size_t size) { return lib.resize(block, size); }
};

struct Jemalloc {
    static void* Alloc(size_t size) { return mallocx(size, 0); }
    static void Free(void* block) { dallocx(block, 0); }
    static void* Realloc(void* block, size_t size) {
        return block ? rallocx(block, size, 0) : mallocx(size, 0);
    }
};

#define HEAP_BENCHMARKS(Name, ...)                                                                 \
    BENCHMARK_TEMPLATE(Name, NhHeap)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__;           \
    BENCHMARK_TEMPLATE(Name, GlibcMalloc)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__;      \
    BENCHMARK_TEMPLATE(Name, Mimalloc)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__;         \
    BENCHMARK_TEMPLATE(Name, Jemalloc)->UseRealTime()->Threads(1)->Threads(2) __VA_ARGS__

HEAP_BENCHMARKS(Churn, );
HEAP_BENCHMARKS(Scatter, ->Unit(benchmark::kMillisecond)->Iterations(3));
HEAP_BENCHMARKS(GrowSteps, ->Unit(benchmark::kMillisecond)->Iterations(2));

} // namespace

BENCHMARK_MAIN();

#pragma once
// Per-thread caches of free small blocks, in front of the free lists of a
// thread-safe static heap (such as "DefaultHeap", behind the global
// allocation). Taking and leaving a heap's lock costs two locked
// instructions, more than all the rest of a small allocation; a thread that
// keeps a few free blocks of each class for itself allocates and frees most
// small blocks without them, and without touching the lines that the other
// threads' allocations write.
//
// Each thread has at most one cache, bound to one heap at a time. Its blocks
// are free to every caller (status free, contents poisoned) but still count
// as in use for their page sets, so that no page set goes back under them;
// they go back to the heap's free lists in batches when a class holds its
// limit, when the cache moves to another heap and when the thread ends.
// Only static heaps get a cache: their objects outlive every thread that
// may still hold their blocks. Clear and InitHeap set the heap's cache
// epoch to 0; a cache bound under another epoch holds blocks of memory that
// has gone and forgets them.

#include <cstdint>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/os_memory.h"
#include "heap/tls_slot.h"

struct NH_ThreadCache {
    NH_Heap* heap;              // heap whose blocks it holds; null: none
    uint32_t epoch;             // the heap's cache epoch when bound
    uint32_t misses;            // small operations on other cacheable heaps since the last refill
    NH_ThreadCache* nextUnused; // pool of records of ended threads
    NH_SmallBlock* heads[NH_SIZE_CLASS_COUNT]; // singly linked through _nextFree
    uint16_t counts[NH_SIZE_CLASS_COUNT];
};

// A block of the class from the cache, or null when it holds none.
inline NH_SmallBlock* NH_CachePop(NH_ThreadCache* cache, uint32_t classIndex) {
    NH_SmallBlock* block = cache->heads[classIndex];
    if (block) {
        cache->heads[classIndex] = block->_nextFree;
        --cache->counts[classIndex];
    }
    return block;
}

inline void NH_CachePush(NH_ThreadCache* cache, uint32_t classIndex, NH_SmallBlock* block) {
    block->_nextFree = cache->heads[classIndex];
    cache->heads[classIndex] = block;
    ++cache->counts[classIndex];
}

// Blocks a cache holds of each class at most: about 32 KB worth, 8 to 256
// blocks (a thread holds 2 MB at worst, and only of the classes it frees).
// Built with the first cache.
extern uint16_t NH_cacheLimits[NH_SIZE_CLASS_COUNT];

// The calling thread's cache, null when it has none yet.
#if defined(_WIN32) && defined(__i386__)
extern uintptr_t NH_threadCacheSlot; // TLS index + 1; 0 when none was had
inline NH_ThreadCache* NH_CurrentThreadCache() {
    return static_cast<NH_ThreadCache*>(NH_ReadTlsSlot(NH_threadCacheSlot));
}
#else
extern __thread NH_ThreadCache* NH_threadCache;
inline NH_ThreadCache* NH_CurrentThreadCache() {
    return NH_threadCache;
}
#endif

// The calling thread's cache bound to heap when the heap takes one: binds it
// (giving back what it held of another heap) or makes the thread's cache
// first. Null for heaps without caches, when no cache can be had, and while
// the cache is kept for another heap that the thread used more recently.
NH_ThreadCache* NH_BindThreadCache(NH_Heap* heap);

// True when the cache (may be null) holds valid blocks of heap.
inline bool NH_CacheServes(const NH_ThreadCache* cache, const NH_Heap* heap) {
    return cache && cache->heap == heap &&
           cache->epoch == __atomic_load_n(&heap->_lock.cacheEpoch, __ATOMIC_RELAXED);
}

inline NH_ThreadCache* NH_CacheFor(NH_Heap* heap) {
    NH_ThreadCache* cache = NH_CurrentThreadCache();
    if (NH_CacheServes(cache, heap)) return cache;
    if (!(heap->_flags & NH_STATIC_HEAP) || !heap->_lockInUse) return nullptr;
    return NH_BindThreadCache(heap);
}

// Gives every cached block back to the bound heap, or forgets them when the
// heap's blocks have all gone since; the cache stays bound.
void NH_GiveBackCacheBlocks(NH_ThreadCache* cache);
// The same, and leaves the cache unbound.
void NH_EmptyThreadCache(NH_ThreadCache* cache);

// Gives the calling thread's cached blocks back to heap when the cache is
// bound to it (out-of-memory handling); the cache stays bound. The caller
// may hold the heap's lock.
void NH_GiveBackThreadCache(NH_Heap* heap);

// For checks: calls visit for every block the calling thread's cache holds of heap.
void NH_VisitThreadCache(const NH_Heap* heap, void (*visit)(NH_SmallBlock* block, void* argument),
                         void* argument);

// Part of NH_ReleaseEverything: the slots go; the records go with the regions.
void NH_ReleaseThreadCacheSlots();

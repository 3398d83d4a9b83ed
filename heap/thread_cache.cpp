// The threads' caches of free small blocks (heap/thread_cache.h): binding a
// cache to a heap, giving its blocks back, and the records, which come from
// regions of their own and go back to a pool when their thread ends.

#include "heap/thread_cache.h"

#include <cstring>

#include "heap/block_layout.h"
#include "heap/process_state.h"

uint16_t NH_cacheLimits[NH_SIZE_CLASS_COUNT];

#if defined(_WIN32) && defined(__i386__)
uintptr_t NH_threadCacheSlot;
#else
__thread NH_ThreadCache* NH_threadCache;
#endif

namespace {

// Small operations on another cacheable heap after which a cache moves there.
const uint32_t kMissesBeforeMoving = 64;

// Set once the slots were asked for and could not be had; read without the lock.
int cachesUnavailable;

// Guarded by the global critical section.
uintptr_t threadEndSlot;       // tells of ending threads
bool slotsTried;               // the slots were asked for
NH_ThreadCache* unusedRecords; // records of ended threads
char* recordSpace;             // the uncarved rest of the newest records region
char* recordSpaceEnd;
uint32_t nextEpoch; // the last epoch handed out; epochs are never reused

void SetCurrentThreadCache(NH_ThreadCache* cache) {
#if defined(_WIN32) && defined(__i386__)
    NH_OsTlsSet(NH_threadCacheSlot, cache);
#else
    NH_threadCache = cache;
#endif
}

// Refills and give-backs take the heap's lock and touch blocks that other
// threads freed; with two threads churning, limits of 8 KB per class spent a
// quarter of the time there, 32 KB a few percent.
void BuildCacheLimits() {
    for (uint32_t index = 0; index < NH_SIZE_CLASS_COUNT; ++index) {
        uint32_t limit = 32768 / NH_sizeClasses.sizes[index];
        NH_cacheLimits[index] = static_cast<uint16_t>(limit < 8 ? 8 : limit > 256 ? 256 : limit);
    }
}

void AtThreadEnd(void* value);

// Under the global critical section: the slots on first use. False when the
// system has none to give.
bool HaveSlots() {
    if (!slotsTried) {
        slotsTried = true;
        BuildCacheLimits();
#if defined(_WIN32) && defined(__i386__)
        NH_threadCacheSlot = NH_OsTlsAlloc();
        if (NH_threadCacheSlot) threadEndSlot = NH_OsThreadEndSlotAlloc(AtThreadEnd);
        if (NH_threadCacheSlot && !threadEndSlot) {
            NH_OsTlsFree(NH_threadCacheSlot);
            NH_threadCacheSlot = 0;
        }
#else
        threadEndSlot = NH_OsThreadEndSlotAlloc(AtThreadEnd);
#endif
        if (!threadEndSlot) __atomic_store_n(&cachesUnavailable, 1, __ATOMIC_RELAXED);
    }
    return threadEndSlot != 0;
}

// Under the global critical section: an empty record, or null.
NH_ThreadCache* NewRecord() {
    if (NH_ThreadCache* record = unusedRecords) {
        unusedRecords = record->nextUnused;
        return record;
    }
    const uint32_t size = RoundUp(sizeof(NH_ThreadCache), 16);
    if (recordSpaceEnd - recordSpace < static_cast<ptrdiff_t>(size)) {
        const uint32_t granularity = NH_constants.granularity;
        char* region = static_cast<char*>(NH_ReserveRegion(granularity));
        if (!region) return nullptr;
        if (!NH_OsCommit(region, granularity)) {
            NH_ReleaseRegion(region, granularity);
            return nullptr;
        }
        recordSpace = region;
        recordSpaceEnd = region + granularity;
    }
    NH_ThreadCache* record = reinterpret_cast<NH_ThreadCache*>(recordSpace);
    recordSpace += size;
    return record;
}

NH_ThreadCache* CreateThreadCache() {
    NH_OsFindThreadEndHooks(); // outside the lock (heap/os_memory.h)
    NH_GlobalLock lock;
    if (!HaveSlots()) return nullptr;
    NH_ThreadCache* cache = NewRecord();
    if (!cache) return nullptr;
    std::memset(cache, 0, sizeof *cache);
    NH_OsThreadEndSlotSet(threadEndSlot, cache);
    SetCurrentThreadCache(cache);
    return cache;
}

// What an ended thread has as its cache: blocks it frees afterwards (in
// later thread-end calls) take the heap's lock, since nothing would give
// back the blocks of a new cache.
NH_ThreadCache endedThread;

void AtThreadEnd(void* value) {
    NH_ThreadCache* cache = static_cast<NH_ThreadCache*>(value);
    if (cache == &endedThread) return;
    NH_EmptyThreadCache(cache);
    SetCurrentThreadCache(&endedThread);
    NH_GlobalLock lock;
    cache->nextUnused = unusedRecords;
    unusedRecords = cache;
}

} // namespace

// The heap object is static, so it may be read whatever became of it.
void NH_GiveBackCacheBlocks(NH_ThreadCache* cache) {
    if (NH_Heap* heap = cache->heap) {
        heap->Lock();
        if (cache->epoch == heap->_lock.cacheEpoch) {
            for (uint32_t index = 0; index < NH_SIZE_CLASS_COUNT; ++index)
                heap->GiveBackCached(cache, index, cache->counts[index]);
        }
        heap->Unlock();
    }
    std::memset(cache->heads, 0, sizeof cache->heads);
    std::memset(cache->counts, 0, sizeof cache->counts);
}

void NH_EmptyThreadCache(NH_ThreadCache* cache) {
    NH_GiveBackCacheBlocks(cache);
    cache->heap = nullptr;
}

NH_ThreadCache* NH_BindThreadCache(NH_Heap* heap) {
    NH_ThreadCache* cache = NH_CurrentThreadCache();
    if (!cache) {
        if (__atomic_load_n(&cachesUnavailable, __ATOMIC_RELAXED)) return nullptr;
        if (!(cache = CreateThreadCache())) return nullptr;
    } else if (cache == &endedThread) {
        return nullptr;
    } else if (cache->heap && cache->heap != heap && ++cache->misses < kMissesBeforeMoving) {
        return nullptr;
    }
    // A thread that holds the heap's lock (through Lock) may hold other
    // heaps' locks too: giving back to another heap now could take locks in
    // an order that another thread reverses.
    if (__atomic_load_n(&heap->_lock.owningThread, __ATOMIC_RELAXED) == NH_CurrentThreadId())
        return nullptr;
    NH_EmptyThreadCache(cache);
    heap->Lock();
    if (!heap->_lock.cacheEpoch) {
        NH_GlobalLock lock;
        if (++nextEpoch == 0) ++nextEpoch;
        __atomic_store_n(&heap->_lock.cacheEpoch, nextEpoch, __ATOMIC_RELAXED);
    }
    cache->epoch = heap->_lock.cacheEpoch;
    heap->Unlock();
    cache->heap = heap;
    cache->misses = 0;
    return cache;
}

void NH_GiveBackThreadCache(NH_Heap* heap) {
    NH_ThreadCache* cache = NH_CurrentThreadCache();
    if (cache && cache->heap == heap) NH_GiveBackCacheBlocks(cache);
}

void NH_VisitThreadCache(const NH_Heap* heap, void (*visit)(NH_SmallBlock* block, void* argument),
                         void* argument) {
    NH_ThreadCache* cache = NH_CurrentThreadCache();
    if (!cache || cache->heap != heap || cache->epoch != heap->_lock.cacheEpoch) return;
    for (NH_SmallBlock* head : cache->heads)
        for (NH_SmallBlock* block = head; block; block = block->_nextFree)
            visit(block, argument);
}

void NH_ReleaseThreadCacheSlots() {
    NH_GlobalLock lock;
    if (threadEndSlot) {
        // Freeing the slot may run AtThreadEnd for other threads: their
        // records go with the regions below anyway, and so do their blocks.
        uintptr_t slot = threadEndSlot;
        threadEndSlot = 0;
        NH_OsThreadEndSlotFree(slot);
    }
#if defined(_WIN32) && defined(__i386__)
    if (NH_threadCacheSlot) NH_OsTlsFree(NH_threadCacheSlot);
    NH_threadCacheSlot = 0;
#endif
    slotsTried = false;
    cachesUnavailable = 0;
    unusedRecords = nullptr;
    recordSpace = recordSpaceEnd = nullptr;
}

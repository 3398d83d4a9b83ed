#pragma once
// The memory manager's heaps: exported classes, their field layouts and the
// exported functions. Layouts are part of the exported interface (32-bit
// Windows): fields stay in the order given here.
//
// Where things live:
//   heap/size_classes.*           the 67 small-block sizes and their lookup table
//   heap/dynamic_memory_map.*     one bit per 64 KB region reserved by this manager
//   heap/os_memory.h              the system calls: os_memory_win32.cpp over the
//                                 Windows API, os_memory_native.cpp over POSIX
//   heap/heap_lock.h              the recursive lock of a thread-safe heap; its slow
//                                 paths in heap_lock_win32.cpp / heap_lock_native.cpp
//   heap/process_state.*          global critical section, system constants, region
//                                 reservation with the map, InitNewHeap settings
//   heap/heap_init.cpp            Init, InitHeap, constructors, destructors, Clear,
//                                 InitNewHeap, EnsureNewHeap, "HeapForHeaps", "DefaultHeap"
//   heap/page_sets.cpp            AllocPageSet, NH_AHeap::Clear, page-set release
//   heap/small_blocks.cpp         AllocMem, FreeMem (small path and dispatch)
//   heap/thread_cache.*           per-thread caches of free small blocks of static heaps
//   heap/big_blocks.cpp           big page sets and boundary-tagged big blocks
//   heap/alt_blocks.cpp           InitAltBlock, the big path of AllocMem and FreeMem
//   heap/heap_realloc.cpp         ReAlloc
//   heap/block_layout.h           block headers and tags inside the regions (internal)
// Only the *_win32.cpp and *_native.cpp files call the system; the rest is
// plain C++ built in both configurations.
// Heap services (per-thread default heap, out-of-memory handling, emergency
// reserve, bypass, block utilities, virtual blocks, memory tests, NH_HeapOneSize,
// the replaced global allocation) are declared below or in heap_services.h /
// heap_one_size.h and implemented in their own files.
//
// Words: a "page set" is one granularity unit (64 KB) of small blocks; a block
// finds its page set, and through it its heap, by masking its address. An
// "alternative block" is any block with a 24-byte NH_AltBlock header: a big
// block (in a big page set) or a virtual block (a region of its own).

#include <cstddef>
#include <cstdint>

#include "heap/heap_lock.h"
#include "heap/os_memory.h"

#if defined(_WIN32) && defined(TROVIK_HEAP_DLL)
#define NH_EXPORT __declspec(dllexport)
#else
#define NH_EXPORT
#endif

// Flag bits of NH_AHeap::_flags.
enum : uint32_t {
    NH_THREAD_SAFE = 0x1,        // every operation holds the heap's lock
    NH_ZERO_FILL = 0x2,          // new blocks and grown parts are cleared to 0
    NH_BYPASS_FREE = 0x4,        // freeing does nothing (also sets _bypassFree)
    NH_NO_NEW_HANDLER = 0x10,    // out of memory: do not call the global new-handler
    NH_STATIC_HEAP = 0x80000000u // object lies neither on a stack nor in this manager's memory
};

class NH_AHeap;
class NH_Heap;

// Header (28 bytes) at the start of a small-block page set. The region is one
// granularity unit, committed from its start in doubling steps.
struct NH_PageSet {
    NH_PageSet* _next;   // older page set of the heap
    NH_PageSet* _prev;   // newer page set; null for the current one
    uint32_t _uncarved;  // committed bytes not yet carved, at the top
    char* _committedEnd; // end of the committed part
    char* _reservedEnd;  // end of the region
    uint32_t _inUse;     // blocks handed out; 0 => the page set may go back
    NH_AHeap* _heap;     // owner
};

// Header (24 bytes) before the user data of a big or virtual block.
struct NH_AltBlock {
    NH_Heap* _heap;     // owner
    uint32_t _size;     // requested size
    NH_AltBlock* _next; // heap's alternative-block list, newest first
    NH_AltBlock* _prev;
    uint32_t _virtual; // 1: a region of its own; 0: inside a big page set
    uint16_t _zero16;
    uint8_t _zero8;
    uint8_t _status; // always 1: bit 0 tells it from a small block
};

struct NH_SmallBlock;  // heap/block_layout.h
struct NH_ThreadCache; // heap/thread_cache.h
struct NH_BigPageSet;
struct NH_BigBlock;

// The part shared by every heap: small-block page sets, flags, the lock and
// the out-of-memory callback. Virtual slots in order: Clear, destructor.
class NH_EXPORT NH_AHeap {
public:
    // Gives back every page set; every block of the heap is invalid afterwards.
    virtual void Clear();
    // Clears unless the heap is static; deletes the lock.
    virtual ~NH_AHeap();

    // Returns 1 when the heap was (re)initialised, 0 when a static heap that
    // was already initialised lazily only adjusted its flags.
    int Init(int32_t flags, int lazy);

    // Reserves one granularity unit, commits one page, links it as the
    // current page set with a header of headerSize bytes. Falls back on the
    // emergency reserve; null when no memory can be had.
    NH_PageSet* AllocPageSet(int32_t headerSize);

    // Out-of-memory handling (heap services): 1 retry, 0 give up. The MT
    // variant leaves the heap's lock (when in use) around the handling and
    // takes it again only on 1: on 0 the caller no longer holds the lock.
    // Every allocation step that holds the lock retries through it.
    int HandleOutOfMemory();
    int HandleOutOfMemoryMT();
    // Process-wide emergency reserve of at most one granularity unit.
    static int SetEmergencyReserve(uint32_t size, void (*callback)());

    // Heap objects live in heaps: in "HeapForHeaps" or in the heap given.
    // noexcept: when memory runs out the new-expression yields null.
    static void* operator new(size_t size) noexcept;
    static void* operator new[](size_t size) noexcept;
    static void* operator new(size_t size, NH_Heap* heap) noexcept;
    static void* operator new[](size_t size, NH_Heap* heap) noexcept;
    static void operator delete(void* block);
    static void operator delete[](void* block);
    static void operator delete(void* block, NH_Heap* heap);
    static void operator delete[](void* block, NH_Heap* heap);

    // The only way for a caller to lock a heap: Lock takes the heap's lock
    // when the heap uses one (flags bit 0), recursively, and Unlock leaves it
    // once per Lock. The heap's own operations take the same lock, so a
    // thread holding it may go on using the heap. Small blocks that other
    // threads take from or put into their caches (heap/thread_cache.h, static
    // heaps only) pass without it: holding it does not stop them, so ForEach
    // and FindFirstThat still need the other threads to leave the heap alone.
    void Lock();
    void Unlock();

    NH_PageSet* _pageSets; // current (newest) page set first
    int32_t _bypassFree;   // set: freeing a block of this heap does nothing
    uint32_t _flags;       // NH_* bits
    int32_t _initialised;
    int32_t _lockInUse; // equals flags bit 0 after Init
    // The heap's lock: this manager's own recursive lock (heap/heap_lock.h),
    // which takes the size and place of a CRITICAL_SECTION in the layout but
    // is not one. Never pass it to EnterCriticalSection or any other system
    // call; lock a heap through Lock and Unlock only.
    NH_HeapLock _lock;
    int (*_fpOutOfMemory)(); // nonzero result: retry; null after Init

    static void (*_fpEmergencyCallback)(); // called when the reserve is used
    static int32_t _globalBypassFree;      // set: NH_Heap::FreeMem does nothing

protected:
    NH_AHeap() = default;
    NH_AHeap(const NH_AHeap&) = delete;
    NH_AHeap& operator=(const NH_AHeap&) = delete;

    // Unlinks a page set from _pageSets and gives its region back.
    void ReleasePageSet(NH_PageSet* pageSet);
    // Commits more of a page set that is not fully committed: as many pages
    // as are committed already (1, 2, 4, 8... pages), up to its end, or when
    // the system refuses that, the pages that make its uncarved top hold
    // needed bytes (needed > _uncarved). 1 or 0.
    static int GrowPageSet(NH_PageSet* pageSet, uint32_t needed);
};

enum { NH_SIZE_CLASS_COUNT = 67 };

// The general heap: size-classed small blocks, big blocks in big page sets,
// virtual blocks. Allocation results are null when memory runs out and the
// out-of-memory handling gives up; the old block of a failed ReAlloc stays valid.
class NH_EXPORT NH_Heap : public NH_AHeap {
public:
    NH_Heap(int32_t flags, const char* name); // the name is not stored
    ~NH_Heap() override;
    void Clear() override;

    void InitHeap();

    void* AllocMem(uint32_t size);
    // Frees a block of any NH_Heap (found from the block); null does nothing.
    void FreeMem(void* block);
    // Resizes; null block allocates. Zero flag (forced by NH_ZERO_FILL) clears
    // the grown part. Null on failure, the old block unchanged.
    void* ReAlloc(void* block, uint32_t size, int zero);

    NH_BigPageSet* AllocBigPageSet(uint32_t size);
    NH_BigBlock* AllocBigBlock(uint32_t altSize);
    NH_BigBlock* ReAllocBigBlock(NH_BigBlock* block, uint32_t altSize);
    void ReleaseBigBlock(NH_BigBlock* block);
    void InitAltBlock(NH_AltBlock* header, uint32_t size, uint32_t isVirtual);

    // ---- Heap services: default heap and block utilities ----
    static NH_Heap* GetDefault();
    static void SetDefault(NH_Heap* heap);
    void* Alloc(uint32_t size, int zero);
    void* AllocWithReserve(uint32_t reserve, uint32_t size, int zero);
    void* Clone(void* block);
    void* StoreData(const void* data, uint32_t size);
    char* StoreString(const char* text, int32_t length);
    static uint32_t GetBlockSize(const void* block);
    void* ExpandBy(void* block, uint32_t count, int zero);
    void* Insert(void* block, uint32_t offset, const void* data, uint32_t count);
    void* Append(void* block, const void* data, uint32_t count);
    void* Prepend(void* block, const void* data, uint32_t count);
    void* RemoveSubBlock(void* block, uint32_t offset, uint32_t count);
    void* Trim(void* block, uint32_t skip, uint32_t keep);
    void ForEach(void (*function)(void* block, void* argument), void* argument);
    void* FindFirstThat(int (*function)(void* block, void* argument), void* argument);

    NH_AltBlock* _altBlocks;                        // big and virtual blocks, newest first
    int32_t _virtualCount;                          // virtual blocks in _altBlocks
    NH_SmallBlock* _freeLists[NH_SIZE_CLASS_COUNT]; // free small blocks per class
    NH_BigPageSet* _bigPageSets;                    // newest first
    NH_BigBlock* _bigFreeList;                      // free big blocks, most recently freed first

private:
    friend void NH_GiveBackCacheBlocks(NH_ThreadCache* cache);

    void* AllocSmall(uint32_t size);
    void* HandOut(NH_SmallBlock* block, uint32_t size);
    static void MarkFree(NH_SmallBlock* block);
    void* AllocBig(uint32_t size);
    void FreeSmall(NH_SmallBlock* block);
    void FreeAlt(NH_AltBlock* header);
    void* ReAllocSmall(void* block, uint32_t size, int zero);
    void* ReAllocAlt(NH_AltBlock* header, uint32_t size, int zero);
    void EnsureInitialised(); // cheap once initialised
    void InitLazily();
    NH_SmallBlock* CarveSmall(uint32_t classIndex);
    NH_SmallBlock* TakeFreeBlock(uint32_t classIndex);
    void PushOnFreeList(NH_SmallBlock* block);
    // A free block of the class for the calling thread's cache: one taken
    // like an allocation (growing the heap, out-of-memory handling included)
    // and, under the same lock, up to half the class's cache limit more that
    // cost nothing to have (free-list blocks, carved top space), which go
    // into the cache. Null when memory ran out.
    NH_SmallBlock* RefillCache(NH_ThreadCache* cache, uint32_t classIndex);
    // Gives count blocks of the class from the front of the cache back to
    // the free lists, under one lock.
    void GiveBackCached(NH_ThreadCache* cache, uint32_t classIndex, uint32_t count);
    // Under the lock: puts a block on its free list; its page set goes back
    // (or is kept) when that was its last block in use.
    void ReturnSmall(NH_SmallBlock* block);
    void CutRemainder(NH_PageSet* pageSet);
    void UnlinkFreeBlocksOf(NH_PageSet* pageSet);
    // Emptied page sets kept for reuse (a bounded number, see page_sets.cpp)
    // lie right after the current page set, with nothing carved. Keeps an
    // emptied page set that is not the current one (its blocks already off
    // the free lists); false when enough are kept already.
    bool KeepPageSet(NH_PageSet* pageSet);
    // Makes a kept page set the current one, the old current one following
    // the kept ones; false when none is kept.
    bool ReuseKeptPageSet();
    // Gives every kept page set back; the number given back.
    int ReleaseKeptPageSets();
    void ReleaseBigPageSet(NH_BigPageSet* pageSet);
    int GrowBigPageSets(uint32_t need);
    // Gives back the spare reservations of big page sets that have not
    // committed into them; the number given back.
    int ReleaseSpareReservations();
    // Gives back the kept page sets and spare reservations; the number.
    int ReleaseSpareMemory();
    // Out of memory while holding the lock: gives back what the heap keeps
    // spare (ReleaseSpareMemory) and retries (1) when there was some; otherwise the out-of-memory
    // handling of HandleOutOfMemoryMT, with its result and lock rules.
    int RetryAfterOutOfMemory();
    void SplitBigBlock(NH_BigBlock* block, uint32_t keep);
};

// An application declares exactly one: multithreaded 0 drops the lock of
// "DefaultHeap". A second declaration shows an error message box.
class NH_EXPORT InitNewHeap {
public:
    explicit InitNewHeap(int multithreaded);
};

// Declared by an application only to make sure the memory manager is linked in.
class NH_EXPORT EnsureNewHeap {
public:
    EnsureNewHeap();
};

// The two heaps of the whole library life, constructed at load in this order.
NH_EXPORT extern NH_Heap HeapForHeaps;
NH_EXPORT extern NH_Heap DefaultHeap;

inline void NH_AHeap::Lock() {
    if (_lockInUse) NH_HeapLockEnter(&_lock);
}

inline void NH_AHeap::Unlock() {
    if (_lockInUse) NH_HeapLockLeave(&_lock);
}

// A heap used before its constructor ran initialises itself on first use.
inline void NH_Heap::EnsureInitialised() {
    if (!__atomic_load_n(&_initialised, __ATOMIC_ACQUIRE)) InitLazily();
}

// ---- Virtual blocks (heap services) ----
// A region of its own with a 12-byte header (size, reserved, committed)
// before the returned address. A virtual block of a heap (AllocWithReserve)
// has its NH_AltBlock header at that address: the heap calls ResizeVirtual
// and FreeVirtual with the NH_AltBlock address and sizes that include it.
NH_EXPORT void* AllocVirtual(uint32_t reserve, uint32_t size, int zero);
// Never moves; null when the reservation is too small or committing fails.
NH_EXPORT void* ResizeVirtual(void* block, uint32_t size, int zero);
NH_EXPORT void FreeVirtual(void* block);
// 1 when the block's reservation holds size bytes, so that ResizeVirtual
// can fail only for lack of memory.
int NH_VirtualBlockFits(void* block, uint32_t size);

// ---- Hook of the emergency reserve (heap services) ----
// Hands over the emergency reserve region (its committed size in *committed),
// forgets it and calls the emergency callback; null when there is none.
void* NH_TakeEmergencyReserve(uint32_t* committed);

// Heap initialisation and teardown, the InitNewHeap setting and the two heaps
// that live as long as the library.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/process_state.h"

// Constructed before any other static object of the library, destroyed after
// them, in this order. Heaps used before their constructor ran initialise
// themselves lazily; Init then keeps their blocks.
__attribute__((init_priority(101))) NH_Heap HeapForHeaps(NH_THREAD_SAFE, "HeapForHeaps");
__attribute__((init_priority(101))) NH_Heap DefaultHeap(NH_THREAD_SAFE, "DefaultHeap");

// ---- NH_AHeap ----

// The heap keeps its blocks, so threads' caches of them stay valid.
static void DropLock(NH_AHeap* heap) {
    const uint32_t cacheEpoch = heap->_lock.cacheEpoch;
    heap->_lockInUse = 0;
    heap->_flags &= ~static_cast<uint32_t>(NH_THREAD_SAFE);
    NH_HeapLockDelete(&heap->_lock);
    heap->_lock.cacheEpoch = cacheEpoch;
}

// Not inlined: a static heap's fields may have been set by lazy
// initialisation before its constructor ran, and are read here.
__attribute__((noinline)) int NH_AHeap::Init(int32_t flags, int lazy) {
    NH_EnsureProcessState();
    uint32_t wanted = static_cast<uint32_t>(flags);
    if (lazy) wanted |= NH_THREAD_SAFE | NH_ZERO_FILL;
    if (this == &DefaultHeap && NH_initNewHeapDeclared && !NH_initNewHeapMultithreaded)
        wanted &= ~static_cast<uint32_t>(NH_THREAD_SAFE);

    bool isStatic = !NH_IsInDynamicMemoryMap(this) && !NH_OsIsOnCurrentStack(this);
    if (isStatic && __atomic_load_n(&_initialised, __ATOMIC_ACQUIRE)) {
        if (_lockInUse && !(wanted & NH_THREAD_SAFE)) DropLock(this);
        if (!(wanted & NH_ZERO_FILL)) _flags &= ~static_cast<uint32_t>(NH_ZERO_FILL);
        if (wanted & NH_BYPASS_FREE) {
            _flags |= NH_BYPASS_FREE;
            _bypassFree = 1;
        }
        return 0;
    }

    if (isStatic) wanted |= NH_STATIC_HEAP;
    _flags = wanted;
    _lockInUse = (wanted & NH_THREAD_SAFE) != 0;
    if (_lockInUse) NH_HeapLockInit(&_lock);
    _bypassFree = (wanted & NH_BYPASS_FREE) != 0;
    _fpOutOfMemory = nullptr;
    _pageSets = nullptr;
    __atomic_store_n(&_initialised, 1, __ATOMIC_RELEASE);
    return 1;
}

NH_AHeap::~NH_AHeap() {
    if (!(_flags & NH_STATIC_HEAP)) NH_AHeap::Clear();
    // A static heap outlives its destructor (late frees at unload still
    // reach it), so it must not keep a deleted lock.
    if (_lockInUse) DropLock(this);
}

// ---- NH_Heap ----

NH_Heap::NH_Heap(int32_t flags, const char* /*name*/) {
    if (Init(flags, 0)) InitHeap();
}

NH_Heap::~NH_Heap() {
    if (!(_flags & NH_STATIC_HEAP)) NH_Heap::Clear();
}

void NH_Heap::InitHeap() {
    NH_EnsureSizeClasses();
    __atomic_store_n(&_lock.cacheEpoch, 0, __ATOMIC_RELAXED); // threads' caches forget their blocks
    std::memset(_freeLists, 0, sizeof _freeLists);
    _altBlocks = nullptr;
    _virtualCount = 0;
    _bigPageSets = nullptr;
    _bigFreeList = nullptr;
}

void NH_Heap::InitLazily() {
    NH_EnsureSizeClasses();
    NH_GlobalLock lock;
    if (!_initialised) {
        // The lists first: another thread sees _initialised only afterwards.
        InitHeap();
        Init(0, 1);
    }
}

void NH_Heap::Clear() {
    Lock();
    for (NH_AltBlock* header = _altBlocks; header;) {
        NH_AltBlock* next = header->_next;
        if (header->_virtual) FreeMem(UserOf(header));
        header = next;
    }
    while (_bigPageSets)
        ReleaseBigPageSet(_bigPageSets);
    _altBlocks = nullptr;
    _virtualCount = 0;
    _bigFreeList = nullptr;
    std::memset(_freeLists, 0, sizeof _freeLists);
    __atomic_store_n(&_lock.cacheEpoch, 0, __ATOMIC_RELAXED); // threads' caches forget their blocks
    NH_AHeap::Clear();
    Unlock();
}

// ---- InitNewHeap, EnsureNewHeap ----

InitNewHeap::InitNewHeap(int multithreaded) {
    if (NH_initNewHeapDeclared)
        NH_fpShowError("Error! You have INIT_NEWHEAP() defined twice in your application!",
                       "NewHeap");
    NH_GlobalLock lock;
    NH_initNewHeapMultithreaded = multithreaded;
    NH_initNewHeapDeclared = 1;
    if (DefaultHeap._initialised && !multithreaded && DefaultHeap._lockInUse)
        DropLock(&DefaultHeap);
}

EnsureNewHeap::EnsureNewHeap() {}

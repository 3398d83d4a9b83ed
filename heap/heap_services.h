#pragma once
// Services around the heaps of heap/heap.h: the per-thread default heap and
// its scoped switch, switching freeing off, and three memory tests. The
// default heap, the out-of-memory handling and the block utilities are
// members of NH_AHeap / NH_Heap (heap/heap.h); the fixed-size heap is in
// heap/heap_one_size.h.
//
// Where things live:
//   heap/default_heap.cpp            thread-local default heap, NH_HeapSwitcher
//   heap/out_of_memory.cpp           HandleOutOfMemory(MT), emergency reserve, BypassFreeing
//   heap/heap_operators.cpp          class operators new/delete of NH_AHeap
//   heap/block_utils.cpp             Alloc, StoreData, Insert, ... (blocks as byte buffers)
//   heap/block_walk.cpp              ForEach, FindFirstThat
//   heap/virtual_blocks.cpp          AllocVirtual, ResizeVirtual, FreeVirtual, AllocWithReserve
//   heap/memory_queries.cpp          IsStackMemory, IsDynamicMemory
//   heap/memory_fill.cpp             IsMemoryFilledWith
//   heap/global_allocation_win32.cpp malloc/free/new/delete (linked into programs,
//                                    not part of the trovik_heap library)
//   heap/release_all_win32.cpp       gives everything back when the library unloads

#include <cstdint>

#include "heap/heap.h"

// Switches the calling thread's default heap for a block scope; the heap
// that was the default before comes back when the switcher is destroyed.
// Nested switchers restore in reverse order.
class NH_EXPORT NH_HeapSwitcher {
public:
    explicit NH_HeapSwitcher(NH_Heap* heap);
    ~NH_HeapSwitcher();
    NH_HeapSwitcher(const NH_HeapSwitcher&) = delete;
    NH_HeapSwitcher& operator=(const NH_HeapSwitcher&) = delete;

private:
    NH_Heap* _previous; // the thread's default before the switch
};

// Scoped holder of one critical section: entered when constructed, left
// when destroyed, so that a callback that throws does not keep it.
class NHCriticalSection {
public:
    explicit NHCriticalSection(NH_OsCriticalSection* section) : _section(section) {
        NH_OsEnterCriticalSection(_section);
    }
    ~NHCriticalSection() { NH_OsLeaveCriticalSection(_section); }
    NHCriticalSection(const NHCriticalSection&) = delete;
    NHCriticalSection& operator=(const NHCriticalSection&) = delete;

private:
    NH_OsCriticalSection* _section;
};

// With a heap: freeing its blocks does nothing from now on. With null:
// NH_Heap::FreeMem does nothing for any general heap (NH_HeapOneSize honours
// only its own flag). For the end of a process; never undone.
NH_EXPORT void BypassFreeing(NH_AHeap* heap);

// 1 when the address lies in the same allocation as the calling thread's stack.
NH_EXPORT int IsStackMemory(const void* address);
// Nonzero when the 64 KB region of the address is reserved by this manager.
NH_EXPORT int IsDynamicMemory(const void* address);
// 1 when all count bytes at address equal value (count 0 gives 1), else 0.
NH_EXPORT int IsMemoryFilledWith(const void* address, uint32_t count, uint8_t value);

// Gives back every region this memory manager holds, the thread-local slot
// and the global critical section: for the library's unload, after every
// static destructor ran. No block of any heap may be used afterwards.
void NH_ReleaseEverything();

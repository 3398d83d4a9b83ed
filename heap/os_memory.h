#pragma once
// The memory manager's only door to the operating system: address space,
// system information, critical sections, thread-local storage, yielding, the
// stack test and the error message box. Two implementations: over the
// Windows API (os_memory_win32.cpp) and over POSIX (os_memory_native.cpp,
// mmap, pthread mutexes and keys). No logic: each returns what the system
// call returned. The heap lock's slow paths (heap_lock_*.cpp) are the only
// other system calls of the manager.
//
// Regions are reserved at a granularity boundary (64 KB) and lie below 4 GB
// in every build: the dynamic-memory map has one bit per 64 KB region of the
// 32-bit address space, and free small blocks link to each other with 32-bit
// addresses. The native build reserves with MAP_32BIT (below 2 GB, which also
// keeps clear of AddressSanitizer's shadow memory above it).

#include <cstdint>

// Storage of the system's recursive lock (the global critical section), so
// that this header needs no system header; the implementations check that
// their object fits.
#if defined(_WIN32)
struct NH_OsCriticalSection { // layout of a CRITICAL_SECTION
    void* debugInfo;
    int32_t lockCount;
    int32_t recursionCount;
    void* owningThread;
    void* lockSemaphore;
    uintptr_t spinCount;
};
#else
struct NH_OsCriticalSection { // a recursive pthread mutex
    alignas(16) unsigned char storage[64];
};
#endif

struct NH_OsSystemInfo {
    uint32_t pageSize;    // 4096 on the platform
    uint32_t granularity; // 65536 on the platform (and natively)
};

NH_OsSystemInfo NH_OsGetSystemInfo();

enum NH_OsRequest { NH_OS_RESERVE, NH_OS_COMMIT };

// Fault injection for tests: called before every reservation and commit with
// its kind and size; nonzero makes that request fail as if the system had no
// memory (or address space) left.
extern int (*NH_fpFailMemoryRequest)(NH_OsRequest request, uint32_t size);

// Reserves size bytes (a multiple of the granularity) at a granularity
// boundary below 4 GB; null on failure.
void* NH_OsReserve(uint32_t size);
// Reserves size bytes exactly at address (a granularity boundary); null when
// that range is not free.
void* NH_OsReserveAt(void* address, uint32_t size);
// Commits [address, address + size) of one reservation; 1 or 0. Freshly
// committed pages read as zero, also after a decommit.
int NH_OsCommit(void* address, uint32_t size);
void NH_OsDecommit(void* address, uint32_t size);
// Releases a whole reservation given by its base and size.
void NH_OsRelease(void* base, uint32_t size);

void NH_OsInitCriticalSection(NH_OsCriticalSection* section);
void NH_OsDeleteCriticalSection(NH_OsCriticalSection* section);
void NH_OsEnterCriticalSection(NH_OsCriticalSection* section);
void NH_OsLeaveCriticalSection(NH_OsCriticalSection* section);

// Gives the rest of the time slice to another thread.
void NH_OsYield();

// One thread-local slot holding a pointer, null in every thread at first.
// NH_OsTlsAlloc returns 0 when no slot can be had (a slot is never 0); the
// Windows implementation keeps the thread's last error across NH_OsTlsGet.
uintptr_t NH_OsTlsAlloc();
void NH_OsTlsFree(uintptr_t slot);
void* NH_OsTlsGet(uintptr_t slot);
void NH_OsTlsSet(uintptr_t slot, void* value);

// A thread-local slot whose owner hears of every thread's end: atThreadEnd
// runs in an ending thread with that thread's value when it is not null
// (Windows: a fiber-local slot; natively: a pthread key with a destructor).
// 0 when no such slot can be had. Freeing it may run atThreadEnd for the
// values of other threads.
// The system's functions behind these are found by NH_OsFindThreadEndHooks,
// which a new thread calls before it takes the heap's global lock: looking
// them up takes the loader's lock, which a thread's end holds while it
// frees memory, so the two locks could be taken in opposite orders.
void NH_OsFindThreadEndHooks();
uintptr_t NH_OsThreadEndSlotAlloc(void (*atThreadEnd)(void* value));
void NH_OsThreadEndSlotFree(uintptr_t slot);
void NH_OsThreadEndSlotSet(uintptr_t slot, void* value);

// 1 when the address lies in the same allocation as the calling thread's stack.
int NH_OsIsOnCurrentStack(const void* address);

// Error message box: error icon, task-modal, brought to the foreground
// (natively: a line on standard error).
void NH_OsShowError(const char* text, const char* caption);

#pragma once
// Process-wide state of the memory manager: the system constants, the global
// critical section, the size-class tables, the dynamic-memory map with the
// region functions that keep it, and the settings left by InitNewHeap.
// Lock order: a heap's lock first, then the global critical section.

#include <cstdint>

#include "heap/size_classes.h"

struct NH_OsCriticalSection;

struct NH_ProcessConstants {
    uint32_t pageSize;
    uint32_t granularity;
    uintptr_t granularityMask; // address & mask = start of its granularity unit
};

// Filled by NH_EnsureProcessState; valid once any heap was initialised.
extern NH_ProcessConstants NH_constants;
// Built once under the global critical section (NH_EnsureSizeClasses).
extern SizeClassTable NH_sizeClasses;

// Creates the global critical section and fetches the system constants on
// first use; cheap afterwards. Safe to call from any thread.
void NH_EnsureProcessState();
NH_OsCriticalSection* NH_GlobalCriticalSection();
// Deletes the global critical section at the library's unload (the last
// step of NH_ReleaseEverything); a later use would create it again.
void NH_DeleteGlobalCriticalSection();
void NH_EnsureSizeClasses();

// Scoped holder of the global critical section.
class NH_GlobalLock {
public:
    NH_GlobalLock();
    ~NH_GlobalLock();
    NH_GlobalLock(const NH_GlobalLock&) = delete;
    NH_GlobalLock& operator=(const NH_GlobalLock&) = delete;
};

// Reserves size bytes (rounded up to the granularity) and marks the regions
// in the dynamic-memory map; null on failure. Takes the global critical section.
void* NH_ReserveRegion(uint32_t size);
// Reserves size bytes (a multiple of the granularity) exactly at address and
// marks them; null when that range is not free.
void* NH_ReserveRegionAt(void* address, uint32_t size);
// Releases a region reserved by NH_ReserveRegion (of that size) and unmarks it.
void NH_ReleaseRegion(void* base, uint32_t size);
// A page set kept empty for reuse is reserved still but counts as given
// back: its region leaves the dynamic-memory map for a map of kept regions
// (which only the release at unload reads) and comes back when reused.
void NH_MarkRegionKept(void* base, uint32_t size, bool kept);
// Nonzero when the 64 KB region of the address is reserved by this manager
// (and not kept empty).
int NH_IsInDynamicMemoryMap(const void* address);
// Nonzero when the region of the address is reserved by this manager, kept or not.
int NH_IsRegionReserved(const void* address);
// The same without the global critical section, for the replaced free: exact
// for an address inside a live block (its region cannot change meanwhile, and
// a byte of the map is read whole).
int NH_IsBlockInDynamicMemory(const void* address);

// InitNewHeap settings.
extern int32_t NH_initNewHeapDeclared;
extern int32_t NH_initNewHeapMultithreaded; // 1 unless declared otherwise
// Shows the "defined twice" message; tests may replace it.
extern void (*NH_fpShowError)(const char* text, const char* caption);

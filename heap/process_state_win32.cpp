#include "heap/process_state.h"

#include <windows.h>

#include "heap/dynamic_memory_map.h"
#include "heap/heap.h"
#include "heap/os_memory.h"

// Everything here is constant-initialised: heaps may be used by static
// constructors that run before this file's.
NH_ProcessConstants NH_constants;
SizeClassTable NH_sizeClasses;
int32_t NH_initNewHeapDeclared;
int32_t NH_initNewHeapMultithreaded = 1;
void (*NH_fpShowError)(const char* text, const char* caption) = NH_OsShowError;

namespace {

enum : LONG { kNotCreated, kCreating, kReady };

volatile LONG globalState = kNotCreated;
NH_OsCriticalSection globalSection;
volatile LONG sizeClassesBuilt;
DynamicMemoryMap dynamicMemoryMap;

} // namespace

void NH_EnsureProcessState() {
    if (globalState == kReady) return;
    if (InterlockedCompareExchange(&globalState, kCreating, kNotCreated) == kNotCreated) {
        NH_OsSystemInfo info = NH_OsGetSystemInfo();
        NH_constants.pageSize = info.pageSize;
        NH_constants.granularity = info.granularity;
        NH_constants.granularityMask = ~static_cast<uintptr_t>(info.granularity - 1);
        NH_OsInitCriticalSection(&globalSection);
        InterlockedExchange(&globalState, kReady);
        return;
    }
    while (globalState != kReady)
        Sleep(0);
}

NH_OsCriticalSection* NH_GlobalCriticalSection() {
    NH_EnsureProcessState();
    return &globalSection;
}

void NH_DeleteGlobalCriticalSection() {
    if (InterlockedCompareExchange(&globalState, kNotCreated, kReady) == kReady)
        NH_OsDeleteCriticalSection(&globalSection);
}

NH_GlobalLock::NH_GlobalLock() {
    NH_OsEnterCriticalSection(NH_GlobalCriticalSection());
}

NH_GlobalLock::~NH_GlobalLock() {
    NH_OsLeaveCriticalSection(&globalSection);
}

void NH_EnsureSizeClasses() {
    if (sizeClassesBuilt) return;
    NH_GlobalLock lock;
    if (!sizeClassesBuilt) {
        BuildSizeClasses(NH_sizeClasses);
        InterlockedExchange(&sizeClassesBuilt, 1);
    }
}

void* NH_ReserveRegion(uint32_t size) {
    NH_EnsureProcessState();
    size = (size + NH_constants.granularity - 1) & ~(NH_constants.granularity - 1);
    if (size == 0) return nullptr; // the rounding overflowed
    NH_GlobalLock lock;
    void* base = NH_OsReserve(size);
    if (base) dynamicMemoryMap.Mark(reinterpret_cast<uintptr_t>(base), size, true);
    return base;
}

void* NH_ReserveRegionAt(void* address, uint32_t size) {
    NH_GlobalLock lock;
    void* base = NH_OsReserveAt(address, size);
    if (base) dynamicMemoryMap.Mark(reinterpret_cast<uintptr_t>(base), size, true);
    return base;
}

void NH_ReleaseRegion(void* base, uint32_t size) {
    NH_GlobalLock lock;
    NH_OsRelease(base);
    dynamicMemoryMap.Mark(reinterpret_cast<uintptr_t>(base), size, false);
}

int NH_IsBlockInDynamicMemory(const void* address) {
    return dynamicMemoryMap.Contains(reinterpret_cast<uintptr_t>(address));
}

int NH_IsInDynamicMemoryMap(const void* address) {
    NH_GlobalLock lock;
    return dynamicMemoryMap.Contains(reinterpret_cast<uintptr_t>(address));
}

#include "heap/process_state.h"

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

enum : int32_t { kNotCreated, kCreating, kReady };

int32_t globalState = kNotCreated;
NH_OsCriticalSection globalSection;
int32_t sizeClassesBuilt;
DynamicMemoryMap dynamicMemoryMap;
DynamicMemoryMap keptRegionMap; // page sets kept empty for reuse

} // namespace

void NH_EnsureProcessState() {
    if (__atomic_load_n(&globalState, __ATOMIC_ACQUIRE) == kReady) return;
    int32_t expected = kNotCreated;
    if (__atomic_compare_exchange_n(&globalState, &expected, kCreating, false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE)) {
        NH_OsSystemInfo info = NH_OsGetSystemInfo();
        NH_constants.pageSize = info.pageSize;
        NH_constants.granularity = info.granularity;
        NH_constants.granularityMask = ~static_cast<uintptr_t>(info.granularity - 1);
        NH_OsInitCriticalSection(&globalSection);
        __atomic_store_n(&globalState, kReady, __ATOMIC_RELEASE);
        return;
    }
    while (__atomic_load_n(&globalState, __ATOMIC_ACQUIRE) != kReady)
        NH_OsYield();
}

NH_OsCriticalSection* NH_GlobalCriticalSection() {
    NH_EnsureProcessState();
    return &globalSection;
}

void NH_DeleteGlobalCriticalSection() {
    int32_t expected = kReady;
    if (__atomic_compare_exchange_n(&globalState, &expected, kNotCreated, false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE))
        NH_OsDeleteCriticalSection(&globalSection);
}

NH_GlobalLock::NH_GlobalLock() {
    NH_OsEnterCriticalSection(NH_GlobalCriticalSection());
}

NH_GlobalLock::~NH_GlobalLock() {
    NH_OsLeaveCriticalSection(&globalSection);
}

void NH_EnsureSizeClasses() {
    if (__atomic_load_n(&sizeClassesBuilt, __ATOMIC_ACQUIRE)) return;
    NH_GlobalLock lock;
    if (!sizeClassesBuilt) {
        BuildSizeClasses(NH_sizeClasses);
        __atomic_store_n(&sizeClassesBuilt, 1, __ATOMIC_RELEASE);
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
    NH_OsRelease(base, size);
    dynamicMemoryMap.Mark(reinterpret_cast<uintptr_t>(base), size, false);
    keptRegionMap.Mark(reinterpret_cast<uintptr_t>(base), size, false);
}

void NH_MarkRegionKept(void* base, uint32_t size, bool kept) {
    NH_GlobalLock lock;
    dynamicMemoryMap.Mark(reinterpret_cast<uintptr_t>(base), size, !kept);
    keptRegionMap.Mark(reinterpret_cast<uintptr_t>(base), size, kept);
}

int NH_IsRegionReserved(const void* address) {
    NH_GlobalLock lock;
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    return dynamicMemoryMap.Contains(at) || keptRegionMap.Contains(at);
}

int NH_IsBlockInDynamicMemory(const void* address) {
    return dynamicMemoryMap.Contains(reinterpret_cast<uintptr_t>(address));
}

int NH_IsInDynamicMemoryMap(const void* address) {
    NH_GlobalLock lock;
    return dynamicMemoryMap.Contains(reinterpret_cast<uintptr_t>(address));
}

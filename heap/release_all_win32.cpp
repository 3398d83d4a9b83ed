// Giving everything back when the library is unloaded. Static heaps keep
// their memory past their destructors (late frees of the runtime still reach
// them), so without this every load and unload of the library would leave
// its regions behind. Runs after the last destructor of the library: every
// region marked in the dynamic-memory map is released whole, then the
// thread-local slot and the global critical section go.

#include <windows.h>

#include "heap/heap_services.h"
#include "heap/process_state.h"
#include "heap/thread_cache.h"

void NH_ReleaseEmergencyReserve(); // out_of_memory.cpp
void NH_ReleaseDefaultHeapSlot();  // default_heap.cpp

namespace {

const uintptr_t kRegionSize = 65536;  // one bit of the dynamic-memory map
const uintptr_t kRegionCount = 65536; // regions of the 4 GB address space

// The whole reservation that contains address: its base and size.
bool FindReservation(uintptr_t address, char** base, uint32_t* size) {
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) ||
        info.State == MEM_FREE)
        return false;
    *base = static_cast<char*>(info.AllocationBase);
    uint32_t extent = 0;
    while (VirtualQuery(*base + extent, &info, sizeof info) && info.State != MEM_FREE &&
           info.AllocationBase == *base)
        extent += static_cast<uint32_t>(info.RegionSize);
    *size = extent;
    return true;
}

} // namespace

void NH_ReleaseEverything() {
    NH_ReleaseThreadCacheSlots();
    NH_ReleaseEmergencyReserve();
    for (uintptr_t region = 0; region < kRegionCount; ++region) {
        uintptr_t address = region * kRegionSize;
        if (!NH_IsRegionReserved(reinterpret_cast<void*>(address))) continue;
        char* base;
        uint32_t size;
        if (FindReservation(address, &base, &size))
            NH_ReleaseRegion(base, size);
        else
            NH_ReleaseRegion(reinterpret_cast<void*>(address), kRegionSize); // only unmarks
    }
    NH_ReleaseDefaultHeapSlot();
    NH_DeleteGlobalCriticalSection();
}

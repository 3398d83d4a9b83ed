#include "tests/heap/process_memory.h"

#include <windows.h>

uint64_t AddressSpaceInUse() {
    uint64_t inUse = 0;
    MEMORY_BASIC_INFORMATION info;
    for (uintptr_t address = 0x10000;
         VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info);) {
        if (info.State != MEM_FREE) inUse += info.RegionSize;
        uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return inUse;
}

uint64_t ProcessHeapInUse() {
    HANDLE heap = GetProcessHeap();
    uint64_t inUse = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) inUse += entry.cbData;
    HeapUnlock(heap);
    return inUse;
}

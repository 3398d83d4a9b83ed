// Where an address lies: on the calling thread's stack, or in a region of
// this memory manager.

#include "heap/heap_services.h"
#include "heap/os_memory.h"
#include "heap/process_state.h"

int IsStackMemory(const void* address) {
    return NH_OsIsOnCurrentStack(address);
}

int IsDynamicMemory(const void* address) {
    return NH_IsInDynamicMemoryMap(address);
}

// The per-thread default heap: one thread-local slot, created on first need
// under the global critical section. An empty slot means "DefaultHeap".

#include "heap/heap.h"
#include "heap/heap_services.h"
#include "heap/os_memory.h"
#include "heap/process_state.h"
#include "heap/tls_slot.h"

namespace {

uintptr_t slot; // 0: not created yet (or none could be had)

uintptr_t Slot() {
    uintptr_t made = __atomic_load_n(&slot, __ATOMIC_ACQUIRE);
    if (made) return made;
    NH_GlobalLock lock;
    if (!slot) __atomic_store_n(&slot, NH_OsTlsAlloc(), __ATOMIC_RELEASE);
    return slot;
}

} // namespace

NH_Heap* NH_Heap::GetDefault() {
    uintptr_t index = Slot();
    if (!index) return &DefaultHeap;
    NH_Heap* heap = static_cast<NH_Heap*>(NH_ReadTlsSlot(index));
    return heap ? heap : &DefaultHeap;
}

void NH_Heap::SetDefault(NH_Heap* heap) {
    if (uintptr_t index = Slot()) NH_OsTlsSet(index, heap == &DefaultHeap ? nullptr : heap);
}

NH_HeapSwitcher::NH_HeapSwitcher(NH_Heap* heap) : _previous(NH_Heap::GetDefault()) {
    NH_Heap::SetDefault(heap);
}

NH_HeapSwitcher::~NH_HeapSwitcher() {
    NH_Heap::SetDefault(_previous);
}

// Part of NH_ReleaseEverything: the slot goes back with the library.
void NH_ReleaseDefaultHeapSlot() {
    if (slot) {
        NH_OsTlsFree(slot);
        slot = 0;
    }
}

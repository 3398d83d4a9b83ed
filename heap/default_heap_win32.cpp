// The per-thread default heap: one thread-local slot, created on first need
// under the global critical section. An empty slot means "DefaultHeap".

#include <windows.h>

#include "heap/heap.h"
#include "heap/heap_services.h"
#include "heap/process_state.h"

namespace {

volatile DWORD slot = TLS_OUT_OF_INDEXES;

DWORD Slot() {
    if (slot != TLS_OUT_OF_INDEXES) return slot;
    NH_GlobalLock lock;
    if (slot == TLS_OUT_OF_INDEXES) slot = TlsAlloc();
    return slot;
}

} // namespace

// TlsGetValue clears the thread's last error; every malloc comes here, and
// callers read GetLastError after building their error objects.
NH_Heap* NH_Heap::GetDefault() {
    DWORD index = Slot();
    if (index == TLS_OUT_OF_INDEXES) return &DefaultHeap;
    DWORD error = GetLastError();
    NH_Heap* heap = static_cast<NH_Heap*>(TlsGetValue(index));
    SetLastError(error);
    return heap ? heap : &DefaultHeap;
}

void NH_Heap::SetDefault(NH_Heap* heap) {
    DWORD index = Slot();
    if (index != TLS_OUT_OF_INDEXES) TlsSetValue(index, heap == &DefaultHeap ? nullptr : heap);
}

NH_HeapSwitcher::NH_HeapSwitcher(NH_Heap* heap) : _previous(NH_Heap::GetDefault()) {
    NH_Heap::SetDefault(heap);
}

NH_HeapSwitcher::~NH_HeapSwitcher() {
    NH_Heap::SetDefault(_previous);
}

// Part of NH_ReleaseEverything: the slot goes back with the library.
void NH_ReleaseDefaultHeapSlot() {
    if (slot != TLS_OUT_OF_INDEXES) {
        TlsFree(slot);
        slot = TLS_OUT_OF_INDEXES;
    }
}

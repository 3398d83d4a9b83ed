// Out-of-memory handling: the process-wide emergency reserve, the heap's own
// callback and the global new-handler, tried in that order; and the switches
// that turn freeing off.

#include <new>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_services.h"
#include "heap/process_state.h"
#include "heap/thread_cache.h"

void (*NH_AHeap::_fpEmergencyCallback)() = nullptr;
int32_t NH_AHeap::_globalBypassFree = 0;

namespace {

// Guarded by the global critical section.
char* reserveBase;         // one granularity unit, reserved; null: no reserve
uint32_t reserveCommitted; // committed bytes from its start

// Detaches the reserve; the caller owns the region afterwards.
char* DetachReserve(uint32_t* committed) {
    char* base = reserveBase;
    *committed = reserveCommitted;
    reserveBase = nullptr;
    reserveCommitted = 0;
    return base;
}

void GiveBack(char* base, uint32_t committed) {
    if (committed) NH_OsDecommit(base, committed);
    NH_ReleaseRegion(base, NH_constants.granularity);
}

} // namespace

int NH_AHeap::SetEmergencyReserve(uint32_t size, void (*callback)()) {
    _fpEmergencyCallback = callback;
    NH_EnsureProcessState();
    const uint32_t granularity = NH_constants.granularity;
    if (size > granularity) size = granularity;
    size = RoundUp(size, NH_constants.pageSize);
    char* base = static_cast<char*>(NH_ReserveRegion(granularity));
    if (!base) return 0;
    if (size && !NH_OsCommit(base, size)) {
        NH_ReleaseRegion(base, granularity);
        return 0;
    }
    NHCriticalSection lock(NH_GlobalCriticalSection());
    uint32_t oldCommitted;
    if (char* old = DetachReserve(&oldCommitted)) GiveBack(old, oldCommitted);
    reserveBase = base;
    reserveCommitted = size;
    return 1;
}

void* NH_TakeEmergencyReserve(uint32_t* committed) {
    NHCriticalSection lock(NH_GlobalCriticalSection());
    char* base = DetachReserve(committed);
    if (base && NH_AHeap::_fpEmergencyCallback) NH_AHeap::_fpEmergencyCallback();
    return base;
}

int NH_AHeap::HandleOutOfMemory() {
    NHCriticalSection lock(NH_GlobalCriticalSection());
    uint32_t committed;
    if (char* base = DetachReserve(&committed)) {
        GiveBack(base, committed);
        if (_fpEmergencyCallback) _fpEmergencyCallback();
        return 1;
    }
    if (_fpOutOfMemory) return _fpOutOfMemory();
    if (!(_flags & NH_NO_NEW_HANDLER)) {
        if (std::new_handler handler = std::get_new_handler()) {
            handler();
            return 1;
        }
    }
    return 0;
}

int NH_AHeap::HandleOutOfMemoryMT() {
    const bool locked = _lockInUse != 0;
    if (locked) NH_HeapLockLeave(&_lock);
    if (!HandleOutOfMemory()) return 0;
    if (locked) NH_HeapLockEnter(&_lock);
    return 1;
}

int NH_Heap::ReleaseSpareMemory() {
    NH_GiveBackThreadCache(this); // may empty page sets, which are then kept
    return ReleaseKeptPageSets() + ReleaseSpareReservations();
}

int NH_Heap::RetryAfterOutOfMemory() {
    if (ReleaseSpareMemory()) return 1;
    return HandleOutOfMemoryMT();
}

void BypassFreeing(NH_AHeap* heap) {
    if (heap)
        heap->_bypassFree = 1;
    else
        NH_AHeap::_globalBypassFree = 1;
}

// Part of NH_ReleaseEverything.
void NH_ReleaseEmergencyReserve() {
    NHCriticalSection lock(NH_GlobalCriticalSection());
    uint32_t committed;
    if (char* base = DetachReserve(&committed)) GiveBack(base, committed);
}

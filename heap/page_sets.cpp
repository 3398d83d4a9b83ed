// Small-block page sets: one granularity unit each, committed from the start
// in doubling steps.

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/process_state.h"

NH_PageSet* NH_AHeap::AllocPageSet(int32_t headerSize) {
    const uint32_t granularity = NH_constants.granularity;
    const uint32_t page = NH_constants.pageSize;
    uint32_t committed = page;
    char* base = static_cast<char*>(NH_ReserveRegion(granularity));
    if (base && !NH_OsCommit(base, page)) {
        NH_ReleaseRegion(base, granularity);
        base = nullptr;
    }
    if (!base) {
        base = static_cast<char*>(NH_TakeEmergencyReserve(&committed));
        if (!base) return nullptr;
        if (committed < page) { // a reserve of size 0 has nothing committed
            if (!NH_OsCommit(base, page)) {
                NH_ReleaseRegion(base, granularity);
                return nullptr;
            }
            committed = page;
        }
    }

    NH_PageSet* pageSet = reinterpret_cast<NH_PageSet*>(base);
    pageSet->_next = _pageSets;
    pageSet->_prev = nullptr;
    pageSet->_uncarved = committed - static_cast<uint32_t>(headerSize);
    pageSet->_committedEnd = base + committed;
    pageSet->_reservedEnd = base + granularity;
    pageSet->_inUse = 0;
    pageSet->_heap = this;
    if (_pageSets) _pageSets->_prev = pageSet;
    _pageSets = pageSet;
    return pageSet;
}

// Doubling keeps the system calls per page set at five instead of sixteen
// (each costs microseconds) while never committing more than twice what was
// carved. Near the commit limit the doubled step may be refused where the
// pages actually needed are not: those are tried before giving up.
int NH_AHeap::GrowPageSet(NH_PageSet* pageSet, uint32_t needed) {
    char* base = reinterpret_cast<char*>(pageSet);
    uint32_t step = static_cast<uint32_t>(pageSet->_committedEnd - base);
    const uint32_t left = static_cast<uint32_t>(pageSet->_reservedEnd - pageSet->_committedEnd);
    if (step > left) step = left;
    if (!NH_OsCommit(pageSet->_committedEnd, step)) {
        const uint32_t exact = RoundUp(needed - pageSet->_uncarved, NH_constants.pageSize);
        if (exact >= step || !NH_OsCommit(pageSet->_committedEnd, exact)) return 0;
        step = exact;
    }
    pageSet->_committedEnd += step;
    pageSet->_uncarved += step;
    return 1;
}

void NH_AHeap::ReleasePageSet(NH_PageSet* pageSet) {
    if (pageSet->_prev)
        pageSet->_prev->_next = pageSet->_next;
    else
        _pageSets = pageSet->_next;
    if (pageSet->_next) pageSet->_next->_prev = pageSet->_prev;
    NH_ReleaseRegion(
        pageSet, static_cast<uint32_t>(pageSet->_reservedEnd - reinterpret_cast<char*>(pageSet)));
}

void NH_AHeap::Clear() {
    Lock();
    while (_pageSets)
        ReleasePageSet(_pageSets);
    Unlock();
}

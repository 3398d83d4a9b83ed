// Small-block page sets: one granularity unit each, committed from the start
// in doubling steps.

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/links.h"
#include "heap/poison.h"
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
    pageSet->_uncarved = committed - static_cast<uint32_t>(headerSize);
    pageSet->_committedEnd = base + committed;
    pageSet->_reservedEnd = base + granularity;
    pageSet->_inUse = 0;
    pageSet->_heap = this;
    NH_PushFront(_pageSets, pageSet, &NH_PageSet::_prev, &NH_PageSet::_next);
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
    NH_Unlink(_pageSets, pageSet, &NH_PageSet::_prev, &NH_PageSet::_next);
    NH_ReleaseRegion(
        pageSet, static_cast<uint32_t>(pageSet->_reservedEnd - reinterpret_cast<char*>(pageSet)));
}

// ---- Emptied page sets kept for reuse ----
// Reserving, committing and releasing a page set cost several system calls;
// a heap whose use swings by many blocks would pay them over and over. Kept
// page sets join and leave at the front of their run, right after the
// current page set; each holds, where its first block would be carved, the
// length of the run from itself on and the run's last page set, so that
// keeping and reusing cost no walk.

namespace {

struct KeptRun {
    uint32_t count;   // kept page sets from this one to the end of the run
    NH_PageSet* last; // the run's last page set
};

KeptRun* RunOf(NH_PageSet* pageSet) {
    return reinterpret_cast<KeptRun*>(FirstSmallBlock(pageSet));
}

// Behind the current page set, only a kept one has no block carved.
bool IsKept(NH_PageSet* pageSet) {
    return pageSet && pageSet->_inUse == 0 && CarveTop(pageSet) == FirstSmallBlock(pageSet);
}

void LinkAfter(NH_PageSet* before, NH_PageSet* pageSet) {
    pageSet->_prev = before;
    pageSet->_next = before->_next;
    if (before->_next) before->_next->_prev = pageSet;
    before->_next = pageSet;
}

} // namespace

bool NH_Heap::KeepPageSet(NH_PageSet* pageSet) {
    NH_PageSet* front = _pageSets->_next;
    KeptRun run = IsKept(front) ? *RunOf(front) : KeptRun{0, pageSet};
    if (run.count >= kKeptPageSets) return false;
    NH_Unlink(_pageSets, pageSet, &NH_PageSet::_prev, &NH_PageSet::_next);
    LinkAfter(_pageSets, pageSet);
    pageSet->_uncarved = static_cast<uint32_t>(pageSet->_committedEnd - FirstSmallBlock(pageSet));
    NH_Unpoison(FirstSmallBlock(pageSet), pageSet->_uncarved); // its free blocks are gone
    *RunOf(pageSet) = {run.count + 1, run.last};
    NH_MarkRegionKept(pageSet, NH_constants.granularity, true);
    return true;
}

bool NH_Heap::ReuseKeptPageSet() {
    NH_PageSet* current = _pageSets;
    NH_PageSet* reused = current ? current->_next : nullptr;
    if (!IsKept(reused)) return false;
    NH_PageSet* last = RunOf(reused)->last;
    NH_Unlink(_pageSets, current, &NH_PageSet::_prev, &NH_PageSet::_next);
    LinkAfter(last, current); // behind the rest of the run
    NH_MarkRegionKept(reused, NH_constants.granularity, false);
    return true;
}

int NH_Heap::ReleaseKeptPageSets() {
    int released = 0;
    while (_pageSets && IsKept(_pageSets->_next)) {
        ReleasePageSet(_pageSets->_next);
        ++released;
    }
    return released;
}

void NH_AHeap::Clear() {
    Lock();
    while (_pageSets)
        ReleasePageSet(_pageSets);
    Unlock();
}

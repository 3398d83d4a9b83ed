// Big blocks: boundary-tagged blocks in big page sets, first fit from one
// free list, immediate merging of free neighbours, no split remainders under
// 1100 bytes. Every function here runs with the heap's lock held.

#include <algorithm>
#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/links.h"
#include "heap/process_state.h"

namespace {

void WriteTags(NH_BigBlock* block, uint32_t size, bool isFree) {
    uint32_t tag = isFree ? size | kBigFreeBit : size;
    block->_tag = tag;
    *TrailingTagOf(block) = tag;
}

void PushFree(NH_BigBlock*& head, NH_BigBlock* block) {
    NH_PushFront(head, block, &NH_BigBlock::_prevFree, &NH_BigBlock::_nextFree);
}

void UnlinkFree(NH_BigBlock*& head, NH_BigBlock* block) {
    NH_Unlink(head, block, &NH_BigBlock::_prevFree, &NH_BigBlock::_nextFree);
}

uint32_t UncommittedOf(const NH_BigPageSet* pageSet) {
    return static_cast<uint32_t>(pageSet->_reservedEnd - pageSet->_committedEnd);
}

// Commits [from, from + size) of a big page set. A spare reservation is a
// reservation of its own, and the system commits within one reservation per
// call: a range across the border is committed in two parts.
bool CommitBigRange(NH_BigPageSet* pageSet, char* from, uint32_t size) {
    char* border = reinterpret_cast<char*>(pageSet) + pageSet->_spare;
    if (!pageSet->_spare || from >= border || from + size <= border)
        return NH_OsCommit(from, size) != 0;
    const uint32_t before = static_cast<uint32_t>(border - from);
    if (!NH_OsCommit(from, before)) return false;
    if (NH_OsCommit(border, size - before)) return true;
    NH_OsDecommit(from, before);
    return false;
}

// Commits at least missing more bytes (whole pages) at the committed end;
// returns how many, 0 when the reservation or the system refuses. A page set
// that grows commits a quarter of its committed size ahead (within its
// reservation), so that a block grown in small steps costs few system calls;
// when that much cannot be had, exactly the missing pages are committed.
uint32_t CommitAtEnd(NH_BigPageSet* pageSet, uint32_t missing) {
    const uint32_t uncommitted = UncommittedOf(pageSet);
    const uint32_t exact = RoundUp(missing, NH_constants.pageSize);
    if (exact > uncommitted) return 0;
    const uint32_t committed =
        static_cast<uint32_t>(pageSet->_committedEnd - reinterpret_cast<char*>(pageSet));
    const uint32_t ahead = std::min(RoundUp(committed / 4, NH_constants.pageSize), uncommitted);
    uint32_t grow = exact;
    if (ahead > exact && CommitBigRange(pageSet, pageSet->_committedEnd, ahead))
        grow = ahead;
    else if (!CommitBigRange(pageSet, pageSet->_committedEnd, exact))
        return 0;
    pageSet->_committedEnd += grow;
    return grow;
}

bool IsFreeBlockAt(NH_BigPageSet* pageSet, NH_BigBlock* block) {
    return reinterpret_cast<char*>(block) < pageSet->_committedEnd && IsBigFree(block);
}

// Reserves reserve bytes and, when spare is not 0, spare bytes right after
// them as a reservation of their own. Where the address space after the
// first choice is taken (common once many regions have come and gone), both
// go where a range of their joint size is free; spare comes back 0 when no
// such range is found. The global lock keeps the manager's other
// reservations out of the range between its probe and its use.
char* ReserveWithSpare(uint32_t reserve, uint32_t& spare) {
    NH_GlobalLock lock;
    char* base = static_cast<char*>(NH_ReserveRegion(reserve));
    if (!base || !spare) return base;
    if (reserve + spare > reserve) {
        if (NH_ReserveRegionAt(base + reserve, spare)) return base;
        if (char* room = static_cast<char*>(NH_ReserveRegion(reserve + spare))) {
            NH_ReleaseRegion(room, reserve + spare);
            if (NH_ReserveRegionAt(room, reserve)) {
                if (NH_ReserveRegionAt(room + reserve, spare)) {
                    NH_ReleaseRegion(base, reserve);
                    return room;
                }
                NH_ReleaseRegion(room, reserve);
            }
        }
    }
    spare = 0;
    return base;
}

} // namespace

// A set for a request of 1 MB or more also reserves spare room right after
// itself, as much as the set but at most 4 MB, so that a block that keeps
// growing finds room in place for a while. The bound matters in a 32-bit
// process: the search maps whole files into the same address space. The
// spare room is a reservation of its own, so that it can be given back alone
// (ReleaseSpareReservations).
NH_BigPageSet* NH_Heap::AllocBigPageSet(uint32_t size) {
    uint32_t commit = RoundUp(size + kBigPageSetHeaderSize, NH_constants.pageSize);
    uint32_t reserve = RoundUp(commit, NH_constants.granularity);
    if (commit < size || reserve < commit) return nullptr;
    uint32_t spare = reserve >= kSmallestBigReservation
                         ? std::min(reserve, static_cast<uint32_t>(kLargestBigSpare))
                         : 0;
    if (reserve < kSmallestBigReservation) reserve = kSmallestBigReservation;
    char* base = ReserveWithSpare(reserve, spare);
    if (!base) return nullptr;
    if (!NH_OsCommit(base, commit)) {
        if (spare) NH_ReleaseRegion(base + reserve, spare);
        NH_ReleaseRegion(base, reserve);
        return nullptr;
    }
    NH_BigPageSet* pageSet = reinterpret_cast<NH_BigPageSet*>(base);
    pageSet->_spare = spare ? reserve : 0;
    pageSet->_committedEnd = base + commit;
    pageSet->_reservedEnd = base + reserve + spare;
    pageSet->_inUse = 0;
    pageSet->_noPredecessor = 0;
    NH_PushFront(_bigPageSets, pageSet, &NH_BigPageSet::_prev, &NH_BigPageSet::_next);

    NH_BigBlock* block = FirstBigBlock(pageSet);
    block->_pageSet = pageSet;
    WriteTags(block, commit - kBigPageSetHeaderSize, true);
    PushFree(_bigFreeList, block);
    return pageSet;
}

void NH_Heap::ReleaseBigPageSet(NH_BigPageSet* pageSet) {
    NH_Unlink(_bigPageSets, pageSet, &NH_BigPageSet::_prev, &NH_BigPageSet::_next);
    char* base = reinterpret_cast<char*>(pageSet);
    const uint32_t reserved = static_cast<uint32_t>(pageSet->_reservedEnd - base);
    if (pageSet->_spare) {
        NH_ReleaseRegion(base + pageSet->_spare, reserved - pageSet->_spare);
        NH_ReleaseRegion(base, pageSet->_spare);
    } else {
        NH_ReleaseRegion(base, reserved);
    }
}

int NH_Heap::ReleaseSpareReservations() {
    int released = 0;
    for (NH_BigPageSet* pageSet = _bigPageSets; pageSet; pageSet = pageSet->_next) {
        char* border = reinterpret_cast<char*>(pageSet) + pageSet->_spare;
        if (!pageSet->_spare || pageSet->_committedEnd > border) continue;
        NH_ReleaseRegion(border, static_cast<uint32_t>(pageSet->_reservedEnd - border));
        pageSet->_reservedEnd = border;
        pageSet->_spare = 0;
        ++released;
    }
    return released;
}

// Marks the block in use with keep bytes; the rest becomes a free block,
// merged with a free block that follows.
void NH_Heap::SplitBigBlock(NH_BigBlock* block, uint32_t keep) {
    NH_BigPageSet* pageSet = block->_pageSet;
    uint32_t tailSize = BigSizeOf(block) - keep;
    NH_BigBlock* after = NextBigBlock(block);
    if (IsFreeBlockAt(pageSet, after)) {
        UnlinkFree(_bigFreeList, after);
        tailSize += BigSizeOf(after);
    }
    WriteTags(block, keep, false);
    NH_BigBlock* tail = NextBigBlock(block);
    tail->_pageSet = pageSet;
    WriteTags(tail, tailSize, true);
    PushFree(_bigFreeList, tail);
}

// Grows the first big page set that has room for need more bytes; 1 when done.
int NH_Heap::GrowBigPageSets(uint32_t need) {
    for (NH_BigPageSet* pageSet = _bigPageSets; pageSet; pageSet = pageSet->_next) {
        if (UncommittedOf(pageSet) < need) continue;
        char* oldEnd = pageSet->_committedEnd;
        uint32_t grow = CommitAtEnd(pageSet, need);
        if (!grow) continue;
        uint32_t lastTag = reinterpret_cast<uint32_t*>(oldEnd)[-1];
        if (lastTag & kBigFreeBit) {
            NH_BigBlock* last = reinterpret_cast<NH_BigBlock*>(oldEnd - (lastTag & ~kBigFreeBit));
            WriteTags(last, BigSizeOf(last) + grow, true);
        } else {
            NH_BigBlock* added = reinterpret_cast<NH_BigBlock*>(oldEnd);
            added->_pageSet = pageSet;
            WriteTags(added, grow, true);
            PushFree(_bigFreeList, added);
        }
        return 1;
    }
    return 0;
}

NH_BigBlock* NH_Heap::AllocBigBlock(uint32_t altSize) {
    const uint32_t need = BigBlockNeed(altSize);
    for (;;) {
        for (NH_BigBlock* block = _bigFreeList; block; block = block->_nextFree) {
            uint32_t size = BigSizeOf(block);
            if (size < need) continue;
            UnlinkFree(_bigFreeList, block);
            if (size - need >= kSmallestBigBlock)
                SplitBigBlock(block, need);
            else
                WriteTags(block, size, false);
            ++block->_pageSet->_inUse;
            return block;
        }
        if (!GrowBigPageSets(need) && !AllocBigPageSet(need)) return nullptr;
    }
}

void NH_Heap::ReleaseBigBlock(NH_BigBlock* block) {
    NH_BigPageSet* pageSet = block->_pageSet;
    uint32_t size = BigSizeOf(block);
    NH_BigBlock* next = NextBigBlock(block);
    if (IsFreeBlockAt(pageSet, next)) {
        UnlinkFree(_bigFreeList, next);
        size += BigSizeOf(next);
    }
    // The first block finds the header's 0 here: no predecessor.
    uint32_t previousTag = reinterpret_cast<uint32_t*>(block)[-1];
    if (previousTag & kBigFreeBit) {
        NH_BigBlock* previous = reinterpret_cast<NH_BigBlock*>(reinterpret_cast<char*>(block) -
                                                               (previousTag & ~kBigFreeBit));
        UnlinkFree(_bigFreeList, previous);
        size += BigSizeOf(previous);
        block = previous;
    }
    WriteTags(block, size, true);
    PushFree(_bigFreeList, block);

    if (--pageSet->_inUse != 0) return;
    uint32_t committed =
        static_cast<uint32_t>(pageSet->_committedEnd - reinterpret_cast<char*>(pageSet));
    if (pageSet == _bigPageSets && committed <= kKeptBigPageSetCommit) return;
    UnlinkFree(_bigFreeList, block); // the only block left, free and merged
    ReleaseBigPageSet(pageSet);
}

NH_BigBlock* NH_Heap::ReAllocBigBlock(NH_BigBlock* block, uint32_t altSize) {
    const uint32_t need = BigBlockNeed(altSize);
    NH_BigPageSet* pageSet = block->_pageSet;
    uint32_t size = BigSizeOf(block);
    if (need > size) {
        NH_BigBlock* next = NextBigBlock(block);
        if (reinterpret_cast<char*>(next) == pageSet->_committedEnd) {
            size += CommitAtEnd(pageSet, need - size);
        } else if (IsBigFree(next)) {
            uint32_t together = size + BigSizeOf(next);
            bool nextIsLast = reinterpret_cast<char*>(NextBigBlock(next)) == pageSet->_committedEnd;
            if (together >= need ||
                (nextIsLast &&
                 RoundUp(need - together, NH_constants.pageSize) <= UncommittedOf(pageSet))) {
                UnlinkFree(_bigFreeList, next);
                size = together;
                if (size < need) size += CommitAtEnd(pageSet, need - size);
            }
        }
        WriteTags(block, size, false);
        if (size < need) {
            NH_BigBlock* moved = AllocBigBlock(altSize);
            if (!moved) return nullptr;
            NH_AltBlock* header = AltHeaderOf(block);
            std::memcpy(AltHeaderOf(moved), header, kAltHeaderSize + header->_size);
            ReleaseBigBlock(block);
            return moved;
        }
    }
    if (size - need >= kSmallestBigBlock) SplitBigBlock(block, need);
    return block;
}

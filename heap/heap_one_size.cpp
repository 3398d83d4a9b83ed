// The fixed-size heap.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap_one_size.h"
#include "heap/links.h"
#include "heap/process_state.h"

static_assert(sizeof(void*) != 4 || sizeof(NH_OneSizePageSet) == 40,
              "the page-set header is part of the layout");

namespace {

uint32_t BlockSizeFor(uint32_t size) {
    return size < 4 ? 4 : RoundUp(size, 4);
}

NH_OneSizePageSet* OneSizePageSetOf(const void* block) {
    return reinterpret_cast<NH_OneSizePageSet*>(PageSetOf(block));
}

} // namespace

NH_HeapOneSize::NH_HeapOneSize(uint32_t size, int32_t flags, const char* /*name*/) {
    if (Init(flags, 0)) InitHeapOneSize(size);
}

void NH_HeapOneSize::InitHeapOneSize(uint32_t size) {
    _pageSetsWithFree = nullptr;
    _blockSize = size > kLargestRequest ? kLargestRequest : BlockSizeFor(size);
}

void NH_HeapOneSize::Clear() {
    Lock();
    _pageSetsWithFree = nullptr;
    NH_AHeap::Clear();
    Unlock();
}

void* NH_HeapOneSize::AllocMem(uint32_t size) {
    if (!__atomic_load_n(&_initialised, __ATOMIC_ACQUIRE)) {
        NH_GlobalLock lock;
        if (!_initialised) {
            // The fields first: another thread sees _initialised only afterwards.
            InitHeapOneSize(size);
            Init(0, 1);
        }
    }
    if (size > _blockSize || _blockSize > NH_constants.granularity - sizeof(NH_OneSizePageSet))
        return nullptr;
    Lock();
    void* block = _pageSetsWithFree ? TakeFreeBlock() : CarveBlock();
    if (!block) return nullptr; // the out-of-memory handling has left the lock
    Unlock();
    if (_flags & NH_ZERO_FILL) std::memset(block, 0, _blockSize);
    return block;
}

void* NH_HeapOneSize::TakeFreeBlock() {
    NH_OneSizePageSet* pageSet = _pageSetsWithFree;
    char* block = reinterpret_cast<char*>(pageSet) + pageSet->_firstFree;
    std::memcpy(&pageSet->_firstFree, block, sizeof pageSet->_firstFree);
    if (pageSet->_firstFree == 0) UnlinkWithFree(pageSet);
    ++pageSet->_base._inUse;
    return block;
}

// Called with the lock held; returns with it, except for null (memory ran
// out; the lock has been left).
void* NH_HeapOneSize::CarveBlock() {
    for (;;) {
        NH_PageSet* pageSet = _pageSets; // re-read: the lock may have been left
        if (pageSet && pageSet->_uncarved >= _blockSize) {
            char* block = CarveTop(pageSet);
            pageSet->_uncarved -= _blockSize;
            ++pageSet->_inUse;
            return block;
        }
        bool gotMemory;
        if (pageSet && pageSet->_committedEnd < pageSet->_reservedEnd) {
            gotMemory = GrowPageSet(pageSet, _blockSize) != 0;
        } else {
            NH_OneSizePageSet* fresh =
                reinterpret_cast<NH_OneSizePageSet*>(AllocPageSet(sizeof(NH_OneSizePageSet)));
            gotMemory = fresh != nullptr;
            if (fresh) {
                fresh->_firstFree = 0;
                fresh->_nextWithFree = nullptr;
                fresh->_prevWithFree = nullptr;
            }
        }
        if (!gotMemory && !HandleOutOfMemoryMT()) return nullptr;
    }
}

void NH_HeapOneSize::FreeMem(void* block) {
    if (!block) return;
    NH_OneSizePageSet* pageSet = OneSizePageSetOf(block);
    NH_HeapOneSize* heap =
        static_cast<NH_HeapOneSize*>(pageSet->_base._heap); // may differ from this
    if (heap->_bypassFree) return;
    heap->Lock();
    heap->FreeBlock(pageSet, static_cast<char*>(block));
    heap->Unlock();
}

void NH_HeapOneSize::FreeBlock(NH_OneSizePageSet* pageSet, char* block) {
    const bool hasFree = pageSet->_firstFree != 0;
    if (--pageSet->_base._inUse == 0 && _pageSetsWithFree &&
        !(_pageSetsWithFree == pageSet && !pageSet->_nextWithFree)) {
        if (hasFree) UnlinkWithFree(pageSet);
        ReleasePageSet(&pageSet->_base);
        return;
    }
    std::memcpy(block, &pageSet->_firstFree, sizeof pageSet->_firstFree);
    pageSet->_firstFree = static_cast<uint32_t>(block - reinterpret_cast<char*>(pageSet));
    if (!hasFree)
        NH_PushFront(_pageSetsWithFree, pageSet, &NH_OneSizePageSet::_prevWithFree,
                     &NH_OneSizePageSet::_nextWithFree);
}

void NH_HeapOneSize::UnlinkWithFree(NH_OneSizePageSet* pageSet) {
    NH_Unlink(_pageSetsWithFree, pageSet, &NH_OneSizePageSet::_prevWithFree,
              &NH_OneSizePageSet::_nextWithFree);
}

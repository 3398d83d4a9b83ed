// Small blocks: size-classed free lists in front of page sets carved from the
// bottom up. Also the entry points AllocMem and FreeMem, which dispatch
// between small and alternative blocks.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/poison.h"
#include "heap/process_state.h"

namespace {

inline NH_SmallBlock* NextCarved(NH_SmallBlock* block) {
    return reinterpret_cast<NH_SmallBlock*>(reinterpret_cast<char*>(block) +
                                            NH_sizeClasses.sizes[block->_classIndex]);
}

// The largest class not above space (space >= kSmallestBlock).
uint32_t LargestClassWithin(uint32_t space) {
    if (space >= kLargestSmallBlock) return kSizeClassCount - 1;
    uint32_t index = NH_sizeClasses.classOfTotal[space];
    return NH_sizeClasses.sizes[index] > space ? index - 1 : index;
}

} // namespace

void* NH_Heap::AllocMem(uint32_t size) {
    if (size <= kLargestSmallBlock - kSmallHeaderSize) return AllocSmall(size);
    if (size > kLargestRequest) return nullptr;
    return AllocBig(size);
}

void NH_Heap::FreeMem(void* block) {
    if (!block || _globalBypassFree) return;
    if (IsAltBlock(block)) {
        NH_AltBlock* header = AltHeaderOf(block);
        header->_heap->FreeAlt(header);
    } else {
        NH_SmallBlock* small = SmallBlockOf(block);
        static_cast<NH_Heap*>(PageSetOf(small)->_heap)->FreeSmall(small);
    }
}

void* NH_Heap::AllocSmall(uint32_t size) {
    EnsureInitialised();
    uint32_t classIndex = NH_sizeClasses.classOfTotal[size + kSmallHeaderSize];
    Lock();
    NH_SmallBlock* block = _freeLists[classIndex];
    if (block) {
        _freeLists[classIndex] = block->_nextFree;
        if (block->_nextFree) block->_nextFree->_prevFree = nullptr;
    } else {
        block = CarveSmall(classIndex);
        if (!block) return nullptr; // the out-of-memory handling has left the lock
    }
    NH_Unpoison(block, NH_sizeClasses.sizes[classIndex]);
    block->_size = static_cast<uint16_t>(size);
    block->_status = 0;
    ++PageSetOf(block)->_inUse;
    Unlock();
    char* user = UserOf(block);
    if (_flags & NH_ZERO_FILL) std::memset(user, 0, size);
    return user;
}

// Takes a block of the class from the top of the current page set, growing
// the page set (GrowPageSet) or starting a new one. Called and returns
// with the lock held, except for null (memory ran out; the lock is left).
NH_SmallBlock* NH_Heap::CarveSmall(uint32_t classIndex) {
    const uint32_t blockSize = NH_sizeClasses.sizes[classIndex];
    for (;;) {
        NH_PageSet* pageSet = _pageSets; // re-read: the lock may have been left
        if (pageSet && pageSet->_uncarved >= blockSize) {
            NH_SmallBlock* block = reinterpret_cast<NH_SmallBlock*>(CarveTop(pageSet));
            pageSet->_uncarved -= blockSize;
            block->_classIndex = static_cast<uint8_t>(classIndex);
            return block;
        }
        bool gotMemory = true;
        if (!pageSet) {
            gotMemory = AllocPageSet(kPageSetHeaderSize) != nullptr;
        } else if (pageSet->_committedEnd < pageSet->_reservedEnd) {
            gotMemory = GrowPageSet(pageSet, blockSize) != 0;
        } else if (pageSet->_inUse) {
            CutRemainder(pageSet);
            gotMemory = ReuseKeptPageSet() || AllocPageSet(kPageSetHeaderSize) != nullptr;
        } else {
            // Full, and every block of it is free: carve it again from the start.
            UnlinkFreeBlocksOf(pageSet);
            pageSet->_uncarved =
                static_cast<uint32_t>(pageSet->_committedEnd - FirstSmallBlock(pageSet));
        }
        if (!gotMemory && !RetryAfterOutOfMemory()) return nullptr;
    }
}

// Turns the uncarved top of a full page set into free blocks of the largest
// classes that fit, so that nothing but a tail under 12 bytes is lost.
void NH_Heap::CutRemainder(NH_PageSet* pageSet) {
    while (pageSet->_uncarved >= kSmallestBlock) {
        uint32_t classIndex = LargestClassWithin(pageSet->_uncarved);
        NH_SmallBlock* block = reinterpret_cast<NH_SmallBlock*>(CarveTop(pageSet));
        pageSet->_uncarved -= NH_sizeClasses.sizes[classIndex];
        block->_size = 0;
        block->_classIndex = static_cast<uint8_t>(classIndex);
        block->_status = kSmallFree;
        block->_prevFree = nullptr;
        block->_nextFree = _freeLists[classIndex];
        if (block->_nextFree) block->_nextFree->_prevFree = block;
        _freeLists[classIndex] = block;
    }
}

// Removes every free block of the page set from the free lists.
void NH_Heap::UnlinkFreeBlocksOf(NH_PageSet* pageSet) {
    char* top = CarveTop(pageSet);
    for (NH_SmallBlock* block = reinterpret_cast<NH_SmallBlock*>(FirstSmallBlock(pageSet));
         reinterpret_cast<char*>(block) < top; block = NextCarved(block)) {
        if (block->_status != kSmallFree) continue;
        if (block->_prevFree)
            block->_prevFree->_nextFree = block->_nextFree;
        else
            _freeLists[block->_classIndex] = block->_nextFree;
        if (block->_nextFree) block->_nextFree->_prevFree = block->_prevFree;
    }
}

void NH_Heap::FreeSmall(NH_SmallBlock* block) {
    if (_bypassFree) return;
    NH_PageSet* pageSet = PageSetOf(block);
    Lock();
    uint32_t classIndex = block->_classIndex;
    block->_status = kSmallFree;
    block->_prevFree = nullptr;
    block->_nextFree = _freeLists[classIndex];
    if (block->_nextFree) block->_nextFree->_prevFree = block;
    _freeLists[classIndex] = block;
    NH_Poison(reinterpret_cast<char*>(block) + sizeof(NH_SmallBlock),
              NH_sizeClasses.sizes[classIndex] - sizeof(NH_SmallBlock));
    if (--pageSet->_inUse == 0 && pageSet != _pageSets) {
        UnlinkFreeBlocksOf(pageSet);
        if (!KeepPageSet(pageSet)) ReleasePageSet(pageSet);
    }
    Unlock();
}

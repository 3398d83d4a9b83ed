// Small blocks: size-classed free lists in front of page sets carved from the
// bottom up. Also the entry points AllocMem and FreeMem, which dispatch
// between small and alternative blocks.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/links.h"
#include "heap/poison.h"
#include "heap/process_state.h"
#include "heap/thread_cache.h"

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

// Free status; under the sanitizer, everything after the links poisoned.
inline void NH_Heap::MarkFree(NH_SmallBlock* block) {
    block->_status = kSmallFree;
    NH_Poison(reinterpret_cast<char*>(block) + sizeof(NH_SmallBlock),
              NH_sizeClasses.sizes[block->_classIndex] - sizeof(NH_SmallBlock));
}

// A free block, unpoisoned, made the caller's block of size bytes.
inline void* NH_Heap::HandOut(NH_SmallBlock* block, uint32_t size) {
    NH_Unpoison(block, NH_sizeClasses.sizes[block->_classIndex]);
    block->_size = static_cast<uint16_t>(size);
    block->_status = 0;
    char* user = UserOf(block);
    if (_flags & NH_ZERO_FILL) std::memset(user, 0, size);
    return user;
}

// The common cases, a block from the thread's cache and a block into it, are
// handled here without a call; everything else in AllocSmall and FreeSmall.
void* NH_Heap::AllocMem(uint32_t size) {
    if (size <= kLargestSmallBlock - kSmallHeaderSize) {
        NH_ThreadCache* cache = NH_CurrentThreadCache();
        if (NH_CacheServes(cache, this)) {
            const uint32_t classIndex = NH_sizeClasses.classOfTotal[size + kSmallHeaderSize];
            if (NH_SmallBlock* block = NH_CachePop(cache, classIndex)) return HandOut(block, size);
        }
        return AllocSmall(size);
    }
    if (size > kLargestRequest) return nullptr;
    return AllocBig(size);
}

void NH_Heap::FreeMem(void* block) {
    if (!block || _globalBypassFree) return;
    if (IsAltBlock(block)) {
        NH_AltBlock* header = AltHeaderOf(block);
        header->_heap->FreeAlt(header);
        return;
    }
    NH_SmallBlock* small = SmallBlockOf(block);
    NH_Heap* heap = static_cast<NH_Heap*>(PageSetOf(small)->_heap);
    NH_ThreadCache* cache = NH_CurrentThreadCache();
    const uint32_t classIndex = small->_classIndex;
    if (NH_CacheServes(cache, heap) && !heap->_bypassFree &&
        cache->counts[classIndex] < NH_cacheLimits[classIndex]) {
        MarkFree(small);
        NH_CachePush(cache, classIndex, small);
        return;
    }
    heap->FreeSmall(small);
}

__attribute__((noinline)) void* NH_Heap::AllocSmall(uint32_t size) {
    EnsureInitialised();
    uint32_t classIndex = NH_sizeClasses.classOfTotal[size + kSmallHeaderSize];
    NH_SmallBlock* block;
    if (NH_ThreadCache* cache = NH_CacheFor(this)) {
        block = NH_CachePop(cache, classIndex);
        if (!block && !(block = RefillCache(cache, classIndex))) return nullptr;
    } else {
        Lock();
        block = TakeFreeBlock(classIndex);
        if (!block && !(block = CarveSmall(classIndex)))
            return nullptr; // the out-of-memory handling has left the lock
        ++PageSetOf(block)->_inUse;
        Unlock();
    }
    return HandOut(block, size);
}

// Under the lock: the first block of the class's free list, unlinked; null
// when the list is empty.
NH_SmallBlock* NH_Heap::TakeFreeBlock(uint32_t classIndex) {
    NH_SmallBlock* block = _freeLists[classIndex];
    if (block)
        NH_Unlink(_freeLists[classIndex], block, &NH_SmallBlock::_prevFree,
                  &NH_SmallBlock::_nextFree);
    return block;
}

NH_SmallBlock* NH_Heap::RefillCache(NH_ThreadCache* cache, uint32_t classIndex) {
    const uint32_t blockSize = NH_sizeClasses.sizes[classIndex];
    Lock();
    NH_SmallBlock* first = TakeFreeBlock(classIndex);
    if (!first && !(first = CarveSmall(classIndex))) return nullptr; // the lock has been left
    ++PageSetOf(first)->_inUse;
    for (uint32_t more = NH_cacheLimits[classIndex] / 2; more > 0; --more) {
        NH_SmallBlock* block = TakeFreeBlock(classIndex);
        if (!block) {
            NH_PageSet* pageSet = _pageSets;
            if (pageSet->_uncarved < blockSize) break;
            block = reinterpret_cast<NH_SmallBlock*>(CarveTop(pageSet));
            pageSet->_uncarved -= blockSize;
            block->_classIndex = static_cast<uint8_t>(classIndex);
            MarkFree(block);
        }
        ++PageSetOf(block)->_inUse;
        NH_CachePush(cache, classIndex, block);
    }
    cache->misses = 0;
    Unlock();
    return first;
}

void NH_Heap::GiveBackCached(NH_ThreadCache* cache, uint32_t classIndex, uint32_t count) {
    Lock();
    for (; count > 0; --count) {
        NH_SmallBlock* block = NH_CachePop(cache, classIndex);
        if (!block) break;
        ReturnSmall(block);
    }
    Unlock();
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
// Under the lock: a free block at the head of its class's free list.
inline void NH_Heap::PushOnFreeList(NH_SmallBlock* block) {
    NH_PushFront(_freeLists[block->_classIndex], block, &NH_SmallBlock::_prevFree,
                 &NH_SmallBlock::_nextFree);
}

void NH_Heap::CutRemainder(NH_PageSet* pageSet) {
    while (pageSet->_uncarved >= kSmallestBlock) {
        uint32_t classIndex = LargestClassWithin(pageSet->_uncarved);
        NH_SmallBlock* block = reinterpret_cast<NH_SmallBlock*>(CarveTop(pageSet));
        pageSet->_uncarved -= NH_sizeClasses.sizes[classIndex];
        block->_size = 0;
        block->_classIndex = static_cast<uint8_t>(classIndex);
        block->_status = kSmallFree;
        PushOnFreeList(block);
    }
}

// Removes every free block of the page set from the free lists. Their list
// neighbours lie anywhere in the heap: a first walk asks for all of them at
// once, so that the cache misses of the second overlap.
void NH_Heap::UnlinkFreeBlocksOf(NH_PageSet* pageSet) {
    NH_SmallBlock* const first = reinterpret_cast<NH_SmallBlock*>(FirstSmallBlock(pageSet));
    char* top = CarveTop(pageSet);
    for (NH_SmallBlock* block = first; reinterpret_cast<char*>(block) < top;
         block = NextCarved(block)) {
        if (block->_status == kSmallFree) {
            __builtin_prefetch(static_cast<NH_SmallBlock*>(block->_prevFree), 1);
            __builtin_prefetch(static_cast<NH_SmallBlock*>(block->_nextFree), 1);
        }
    }
    for (NH_SmallBlock* block = first; reinterpret_cast<char*>(block) < top;
         block = NextCarved(block)) {
        if (block->_status == kSmallFree)
            NH_Unlink(_freeLists[block->_classIndex], block, &NH_SmallBlock::_prevFree,
                      &NH_SmallBlock::_nextFree);
    }
}

__attribute__((noinline)) void NH_Heap::FreeSmall(NH_SmallBlock* block) {
    if (_bypassFree) return;
    const uint32_t classIndex = block->_classIndex;
    MarkFree(block);
    if (NH_ThreadCache* cache = NH_CacheFor(this)) {
        if (cache->counts[classIndex] >= NH_cacheLimits[classIndex])
            GiveBackCached(cache, classIndex, NH_cacheLimits[classIndex] / 2);
        NH_CachePush(cache, classIndex, block);
        return;
    }
    Lock();
    ReturnSmall(block);
    Unlock();
}

void NH_Heap::ReturnSmall(NH_SmallBlock* block) {
    NH_PageSet* pageSet = PageSetOf(block);
    PushOnFreeList(block);
    if (--pageSet->_inUse == 0 && pageSet != _pageSets) {
        UnlinkFreeBlocksOf(pageSet);
        if (!KeepPageSet(pageSet)) ReleasePageSet(pageSet);
    }
}

#include "tests/heap/heap_checker.h"

#include <functional>
#include <new>
#include <sstream>
#include <string>
#include <unordered_set>

#include "heap/block_layout.h"
#include "heap/process_state.h"
#include "heap/thread_cache.h"

namespace {

// Lists longer than this are taken for cycles.
const uint32_t kListLimit = 1u << 24;

// The checker's own memory comes from a private heap, so that checking the
// heap behind the global allocation does not change it while it is walked.
template <class T>
struct ScratchAllocator {
    using value_type = T;
    explicit ScratchAllocator(NH_Heap& heap) : scratch(&heap) {}
    template <class U>
    ScratchAllocator(const ScratchAllocator<U>& other) : scratch(other.scratch) {}
    // Heap blocks are aligned to 4 bytes only: the objects start at the next
    // boundary of their alignment, and the byte before them says how far.
    T* allocate(size_t count) {
        char* block = static_cast<char*>(
            scratch->AllocMem(static_cast<uint32_t>(count * sizeof(T) + alignof(T))));
        if (!block) throw std::bad_alloc();
        const size_t shift = alignof(T) - reinterpret_cast<uintptr_t>(block) % alignof(T);
        block[shift - 1] = static_cast<char>(shift);
        return reinterpret_cast<T*>(block + shift);
    }
    void deallocate(T* objects, size_t) {
        char* start = reinterpret_cast<char*>(objects);
        scratch->FreeMem(start - start[-1]);
    }
    template <class U>
    bool operator==(const ScratchAllocator<U>& other) const {
        return scratch == other.scratch;
    }
    template <class U>
    bool operator!=(const ScratchAllocator<U>& other) const {
        return scratch != other.scratch;
    }
    NH_Heap* scratch;
};

using PointerSet = std::unordered_set<const void*, std::hash<const void*>,
                                      std::equal_to<const void*>, ScratchAllocator<const void*>>;

class Checker {
public:
    explicit Checker(const NH_Heap& heap)
        : _heap(heap), _scratch(0, "checker"), _freeSmall(0, Scratch()), _freeBig(0, Scratch()),
          _usedBig(0, Scratch()), _cached(0, Scratch()) {
        NH_VisitThreadCache(
            &heap,
            [](NH_SmallBlock* block, void* cached) {
                static_cast<PointerSet*>(cached)->insert(block);
            },
            &_cached);
    }

    bool Run() {
        return CheckPageSets() && CheckCachedFound() && CheckSmallFreeLists() &&
               CheckBigPageSets() && CheckBigFreeList() && CheckAltBlocks();
    }

    std::string Message() const {
        std::ostringstream message;
        message << _what << " at " << _where;
        return message.str();
    }
    const HeapCensus& Census() const { return _census; }

private:
    ScratchAllocator<const void*> Scratch() { return ScratchAllocator<const void*>(_scratch); }

    // Formats after the walk has ended; the message may allocate anywhere.
    bool Fail(const char* what, const void* where) {
        _what = what;
        _where = where;
        return false;
    }

    bool CheckPageSets() {
        const uint32_t granularity = NH_constants.granularity;
        const uint32_t page = NH_constants.pageSize;
        const NH_PageSet* previous = nullptr;
        uint32_t listed = 0;
        for (NH_PageSet* pageSet = _heap._pageSets; pageSet; pageSet = pageSet->_next) {
            if (++listed > kListLimit) return Fail("page-set list does not end", pageSet);
            char* base = reinterpret_cast<char*>(pageSet);
            if (reinterpret_cast<uintptr_t>(base) % granularity != 0)
                return Fail("page set not at a granularity boundary", pageSet);
            if (pageSet->_prev != previous) return Fail("page set: wrong back link", pageSet);
            if (pageSet->_heap != &_heap) return Fail("page set of another heap", pageSet);
            if (pageSet->_reservedEnd != base + granularity)
                return Fail("page set: reserved end is not one granularity unit", pageSet);
            if (pageSet->_committedEnd < base + page ||
                pageSet->_committedEnd > pageSet->_reservedEnd ||
                (pageSet->_committedEnd - base) % page != 0)
                return Fail("page set: bad committed end", pageSet);
            if (pageSet->_uncarved >
                static_cast<uint32_t>(pageSet->_committedEnd - FirstSmallBlock(pageSet)))
                return Fail("page set: uncarved space exceeds the committed part", pageSet);
            const bool nothingCarved = CarveTop(pageSet) == FirstSmallBlock(pageSet);
            if (pageSet->_inUse == 0 && previous != nullptr) {
                if (!nothingCarved)
                    return Fail("emptied page set neither given back nor reset", pageSet);
                if (!CheckKept(pageSet, listed)) return false;
            } else {
                ++_census.pageSets;
            }
            if (!WalkSmallBlocks(pageSet)) return false;
            previous = pageSet;
        }
        if (_census.keptPageSets != _keptRunLength)
            return Fail("kept run shorter than recorded", _keptRunLast);
        return true;
    }

    // Kept page sets form one run right after the current page set; each
    // records, where its first block would be, the run's length from it on
    // and the run's last page set. They count as given back to callers.
    bool CheckKept(NH_PageSet* pageSet, uint32_t position) {
        struct Run {
            uint32_t count;
            NH_PageSet* last;
        };
        const Run* run = reinterpret_cast<const Run*>(FirstSmallBlock(pageSet));
        if (position != _census.keptPageSets + 2)
            return Fail("kept page set not in the run after the current one", pageSet);
        if (_census.keptPageSets == 0) {
            _keptRunLength = run->count;
            _keptRunLast = run->last;
            if (run->count == 0 || run->count > kKeptPageSets)
                return Fail("kept run: bad length", pageSet);
        }
        if (run->count != _keptRunLength - _census.keptPageSets || run->last != _keptRunLast)
            return Fail("kept page set: run record wrong", pageSet);
        if (run->count == 1 && run->last != pageSet)
            return Fail("kept run: wrong last page set", pageSet);
        if (NH_IsInDynamicMemoryMap(pageSet) || !NH_IsRegionReserved(pageSet))
            return Fail("kept page set: wrong in the dynamic-memory map", pageSet);
        ++_census.keptPageSets;
        return true;
    }

    bool WalkSmallBlocks(NH_PageSet* pageSet) {
        char* top = CarveTop(pageSet);
        char* at = FirstSmallBlock(pageSet);
        uint32_t inUse = 0, cachedHere = 0;
        while (at < top) {
            NH_SmallBlock* block = reinterpret_cast<NH_SmallBlock*>(at);
            if (block->_classIndex >= kSizeClassCount)
                return Fail("small block: bad class index", block);
            uint32_t blockSize = NH_sizeClasses.sizes[block->_classIndex];
            if (block->_status == 0) {
                ++inUse;
                if (block->_size + kSmallHeaderSize > blockSize)
                    return Fail("small block: stored size exceeds its class", block);
            } else if (block->_status == kSmallFree) {
                // The calling thread's cached blocks are free to callers but
                // in use for their page set, and on no free list.
                if (_cached.count(block)) {
                    ++cachedHere;
                } else {
                    _freeSmall.insert(block);
                }
                ++_census.smallFree;
            } else {
                return Fail("small block: bad status", block);
            }
            at += blockSize;
        }
        if (at != top) return Fail("small blocks overrun the carved top", pageSet);
        if (inUse + cachedHere != pageSet->_inUse)
            return Fail("page set: in-use count differs from its blocks", pageSet);
        _census.smallInUse += inUse;
        _cachedFound += cachedHere;
        return true;
    }

    bool CheckCachedFound() {
        if (_cachedFound != _cached.size())
            return Fail("thread cache holds a block that is not a free block of this heap",
                        nullptr);
        return true;
    }

    bool CheckSmallFreeLists() {
        for (uint32_t classIndex = 0; classIndex < kSizeClassCount; ++classIndex) {
            const NH_SmallBlock* previous = nullptr;
            uint32_t count = 0;
            for (NH_SmallBlock* block = _heap._freeLists[classIndex]; block;
                 block = block->_nextFree) {
                if (++count > kListLimit) return Fail("small free list does not end", block);
                if (_freeSmall.erase(block) == 0)
                    return Fail("free list holds a block that is not a free block of this heap "
                                "(or holds it twice)",
                                block);
                if (block->_classIndex != classIndex)
                    return Fail("free block on the list of another class", block);
                if (block->_prevFree != previous)
                    return Fail("free small block: wrong back link", block);
                previous = block;
            }
        }
        if (!_freeSmall.empty())
            return Fail("free small block on no free list", *_freeSmall.begin());
        return true;
    }

    bool CheckBigPageSets() {
        const NH_BigPageSet* previous = nullptr;
        for (NH_BigPageSet* pageSet = _heap._bigPageSets; pageSet; pageSet = pageSet->_next) {
            if (++_census.bigPageSets > kListLimit)
                return Fail("big page-set list does not end", pageSet);
            char* base = reinterpret_cast<char*>(pageSet);
            if (pageSet->_prev != previous) return Fail("big page set: wrong back link", pageSet);
            if (pageSet->_noPredecessor != 0)
                return Fail("big page set: the tag before the first block is not 0", pageSet);
            uint32_t reserved = static_cast<uint32_t>(pageSet->_reservedEnd - base);
            uint32_t committed = static_cast<uint32_t>(pageSet->_committedEnd - base);
            const uint32_t spare = pageSet->_spare;
            if (spare && (spare < kSmallestBigReservation || spare >= reserved ||
                          spare % NH_constants.granularity != 0 || reserved - spare > spare ||
                          reserved - spare > kLargestBigSpare))
                return Fail("big page set: spare reservation out of bounds", pageSet);
            if (reserved < kSmallestBigReservation || reserved % NH_constants.granularity != 0 ||
                committed > reserved || committed % NH_constants.pageSize != 0)
                return Fail("big page set: bad committed or reserved end", pageSet);
            if (!WalkBigBlocks(pageSet)) return false;
            // An emptied big page set stays only if it was the newest and small
            // then; a newer one may have come since.
            if (pageSet->_inUse == 0 && committed > kKeptBigPageSetCommit)
                return Fail("big page set without blocks in use kept", pageSet);
            previous = pageSet;
        }
        return true;
    }

    bool WalkBigBlocks(NH_BigPageSet* pageSet) {
        char* at = reinterpret_cast<char*>(FirstBigBlock(pageSet));
        bool previousFree = false;
        uint32_t inUse = 0;
        while (at < pageSet->_committedEnd) {
            NH_BigBlock* block = reinterpret_cast<NH_BigBlock*>(at);
            uint32_t size = BigSizeOf(block);
            if (size < kSmallestBigBlock || size % 4 != 0 ||
                size > static_cast<uint32_t>(pageSet->_committedEnd - at))
                return Fail("big block: bad size in its leading tag", block);
            if (*TrailingTagOf(block) != block->_tag)
                return Fail("big block: trailing tag differs from the leading one", block);
            if (block->_pageSet != pageSet) return Fail("big block: wrong page set", block);
            bool isFree = IsBigFree(block);
            if (isFree && previousFree) return Fail("two adjacent free big blocks", block);
            if (isFree) {
                _freeBig.insert(block);
                ++_census.bigFree;
            } else {
                _usedBig.insert(block);
                ++inUse;
            }
            previousFree = isFree;
            at += size;
        }
        if (at != pageSet->_committedEnd)
            return Fail("big blocks overrun the committed end", pageSet);
        if (inUse != pageSet->_inUse)
            return Fail("big page set: in-use count differs from its blocks", pageSet);
        _census.bigInUse += inUse;
        return true;
    }

    bool CheckBigFreeList() {
        const NH_BigBlock* previous = nullptr;
        uint32_t count = 0;
        for (NH_BigBlock* block = _heap._bigFreeList; block; block = block->_nextFree) {
            if (++count > kListLimit) return Fail("big free list does not end", block);
            if (_freeBig.erase(block) == 0)
                return Fail("big free list holds a block that is not a free big block "
                            "(or holds it twice)",
                            block);
            if (block->_prevFree != previous) return Fail("free big block: wrong back link", block);
            previous = block;
        }
        if (!_freeBig.empty())
            return Fail("free big block not on the free list", *_freeBig.begin());
        return true;
    }

    bool CheckAltBlocks() {
        const NH_AltBlock* previous = nullptr;
        uint32_t count = 0;
        for (NH_AltBlock* header = _heap._altBlocks; header; header = header->_next) {
            if (++count > kListLimit) return Fail("alternative-block list does not end", header);
            if (header->_prev != previous)
                return Fail("alternative block: wrong back link", header);
            if (header->_heap != &_heap) return Fail("alternative block of another heap", header);
            if (header->_status != 1 || header->_zero16 != 0 || header->_zero8 != 0)
                return Fail("alternative block: bad status word", header);
            if (header->_virtual == 1) {
                ++_census.virtualBlocks;
            } else if (header->_virtual == 0) {
                NH_BigBlock* block = BigBlockOf(header);
                if (_usedBig.erase(block) == 0)
                    return Fail("alternative block is no big block in use of this heap", header);
                uint32_t altSize = RoundUp(header->_size + kAltHeaderSize, 4);
                if (BigSizeOf(block) < BigBlockNeed(altSize))
                    return Fail("big block smaller than its stored size needs", header);
            } else {
                return Fail("alternative block: bad virtual flag", header);
            }
            previous = header;
        }
        if (_census.virtualBlocks != static_cast<uint32_t>(_heap._virtualCount))
            return Fail("virtual-block count differs from the list", &_heap);
        if (!_usedBig.empty())
            return Fail("big block in use missing from the alternative-block list",
                        *_usedBig.begin());
        return true;
    }

    const NH_Heap& _heap;
    NH_Heap _scratch;
    const char* _what = nullptr;
    const void* _where = nullptr;
    HeapCensus _census;
    uint32_t _keptRunLength = 0; // as recorded by the first kept page set
    NH_PageSet* _keptRunLast = nullptr;
    PointerSet _freeSmall;
    PointerSet _freeBig;
    PointerSet _usedBig;
    PointerSet _cached; // blocks of the heap in the calling thread's cache
    size_t _cachedFound = 0;
};

} // namespace

::testing::AssertionResult CheckHeap(const NH_Heap& heap) {
    Checker checker(heap);
    if (checker.Run()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << checker.Message();
}

HeapCensus TakeCensus(const NH_Heap& heap) {
    Checker checker(heap);
    checker.Run();
    return checker.Census();
}

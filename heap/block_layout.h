#pragma once
// Layouts of the blocks inside the heap's regions and the sizes derived from
// them. Internal to the memory manager (and its tests).
//
// Small block: 4-byte header, then the user data; a free one holds its class
// free-list links after the header.
// Big block, inside a big page set after its header (28 bytes on 32-bit):
//   [tag][page set][NH_AltBlock (in use) | next, prev (free)] ... [tag]
// The tag is the block size (multiple of 4), bit 0 set when free; the last
// 4 bytes of the block repeat it so that the following block finds it.

#include <cstddef>
#include <cstdint>

#include "heap/heap.h"
#include "heap/process_state.h"

// A link between free small blocks: 32 bits wide in every build (every
// region of the manager lies below 4 GB), so that the smallest block, 12
// bytes, holds its header and both links also where pointers are 64-bit.
class NH_SmallLink {
public:
    NH_SmallLink& operator=(NH_SmallBlock* block) {
        _address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
        return *this;
    }
    operator NH_SmallBlock*() const {
        return reinterpret_cast<NH_SmallBlock*>(static_cast<uintptr_t>(_address));
    }
    NH_SmallBlock* operator->() const { return *this; }

private:
    uint32_t _address;
};

struct NH_SmallBlock {
    uint16_t _size; // requested size
    uint8_t _classIndex;
    uint8_t _status;        // 0 in use, kSmallFree free; bit 0 always clear
    NH_SmallLink _nextFree; // only while free
    NH_SmallLink _prevFree;
};

struct NH_BigPageSet {
    NH_BigPageSet* _next; // older big page set
    NH_BigPageSet* _prev;
    uint32_t _spare; // offset of its spare reservation from the start; 0: none
    char* _committedEnd;
    char* _reservedEnd;
    uint32_t _inUse;         // big blocks handed out
    uint32_t _noPredecessor; // 0: read as the tag before the first block
};

struct NH_BigBlock {
    uint32_t _tag; // size | kBigFreeBit when free
    NH_BigPageSet* _pageSet;
    NH_BigBlock* _nextFree; // while free; NH_AltBlock header while in use
    NH_BigBlock* _prevFree;
};

// Header sizes are those of the structures: the 32-bit Windows layout gives
// the sizes below; a 64-bit build has larger headers but the same order.
enum : uint32_t {
    kSmallHeaderSize = 4,
    kPageSetHeaderSize = sizeof(NH_PageSet),
    kAltHeaderSize = sizeof(NH_AltBlock),
    kBigPageSetHeaderSize = sizeof(NH_BigPageSet),
    // Leading tag (padded to the page-set pointer), page set, trailing tag.
    kBigBlockOverhead = offsetof(NH_BigBlock, _nextFree) + 4,
    // Big block sizes are multiples of this, so that their pointers are aligned.
    kBigBlockUnit = alignof(NH_BigBlock),
    // Also the smallest remainder worth splitting off.
    kSmallestBigBlock = (1100 + kBigBlockUnit - 1) & ~(kBigBlockUnit - 1),
    // Virtual block header: size, reserved, committed (32-bit each), padded
    // so that a heap's NH_AltBlock header after it is aligned.
    kVirtualHeaderSize = sizeof(void*) == 4 ? 12 : 16,
    kSmallestBigReservation = 1048576, // big page sets reserve at least 1 MB
    kLargestBigSpare = 4194304,        // spare room reserved after a big page set
    kKeptBigPageSetCommit = 65536,     // an empty newest big page set this small stays
    kKeptPageSets = 1024,              // emptied small-block page sets a heap keeps
    kSmallFree = 2,                    // small block status: free (0: in use)
    kBigFreeBit = 1
};

// Requests above this cannot be served in a 32-bit address space; refusing
// them keeps the size arithmetic of big blocks free of overflow.
const uint32_t kLargestRequest = 0xFFFE0000u;

static_assert(sizeof(void*) != 4 || (kPageSetHeaderSize == 28 && kAltHeaderSize == 24 &&
                                     kBigPageSetHeaderSize == 28 && kBigBlockOverhead == 12 &&
                                     kSmallestBigBlock == 1100),
              "block layouts differ from the 32-bit ones");
static_assert(sizeof(NH_SmallBlock) == kSmallestBlock, "a free small block must fit 12 bytes");
// The status byte of either kind of block is the byte just before the user pointer.
static_assert(offsetof(NH_AltBlock, _status) == kAltHeaderSize - 1 &&
                  offsetof(NH_SmallBlock, _status) == kSmallHeaderSize - 1,
              "the status byte must precede the user pointer");

// The page set of a small block (or of any address inside a page set).
inline NH_PageSet* PageSetOf(const void* address) {
    return reinterpret_cast<NH_PageSet*>(reinterpret_cast<uintptr_t>(address) &
                                         NH_constants.granularityMask);
}

inline char* UserOf(NH_SmallBlock* block) {
    return reinterpret_cast<char*>(block) + kSmallHeaderSize;
}
inline NH_SmallBlock* SmallBlockOf(void* user) {
    return reinterpret_cast<NH_SmallBlock*>(static_cast<char*>(user) - kSmallHeaderSize);
}
inline NH_AltBlock* AltHeaderOf(void* user) {
    return reinterpret_cast<NH_AltBlock*>(static_cast<char*>(user) - kAltHeaderSize);
}
inline char* UserOf(NH_AltBlock* header) {
    return reinterpret_cast<char*>(header) + kAltHeaderSize;
}
// Bit 0 of the byte before a user pointer: clear for small blocks, set for
// alternative blocks.
inline bool IsAltBlock(const void* user) {
    return (static_cast<const uint8_t*>(user)[-1] & 1) != 0;
}

inline uint32_t BigSizeOf(const NH_BigBlock* block) {
    return block->_tag & ~kBigFreeBit;
}
inline bool IsBigFree(const NH_BigBlock* block) {
    return (block->_tag & kBigFreeBit) != 0;
}
inline uint32_t* TrailingTagOf(NH_BigBlock* block) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(block) + BigSizeOf(block) - 4);
}
inline NH_BigBlock* NextBigBlock(NH_BigBlock* block) {
    return reinterpret_cast<NH_BigBlock*>(reinterpret_cast<char*>(block) + BigSizeOf(block));
}
inline NH_BigBlock* FirstBigBlock(NH_BigPageSet* pageSet) {
    return reinterpret_cast<NH_BigBlock*>(reinterpret_cast<char*>(pageSet) + kBigPageSetHeaderSize);
}
inline NH_AltBlock* AltHeaderOf(NH_BigBlock* block) {
    return reinterpret_cast<NH_AltBlock*>(&block->_nextFree);
}
inline NH_BigBlock* BigBlockOf(NH_AltBlock* header) {
    return reinterpret_cast<NH_BigBlock*>(reinterpret_cast<char*>(header) -
                                          offsetof(NH_BigBlock, _nextFree));
}
inline char* FirstSmallBlock(NH_PageSet* pageSet) {
    return reinterpret_cast<char*>(pageSet) + kPageSetHeaderSize;
}
inline char* CarveTop(NH_PageSet* pageSet) {
    return pageSet->_committedEnd - pageSet->_uncarved;
}
constexpr uint32_t RoundUp(uint32_t value, uint32_t unit) {
    return (value + unit - 1) & ~(unit - 1);
}
// Big block size for an alternative block of altSize bytes.
inline uint32_t BigBlockNeed(uint32_t altSize) {
    uint32_t need = RoundUp(altSize + kBigBlockOverhead, kBigBlockUnit);
    return need < kSmallestBigBlock ? kSmallestBigBlock : need;
}

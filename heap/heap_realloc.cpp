// Resizing blocks of every kind: in place where the block allows, else by a
// new block, a copy and the release of the old one.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/process_state.h"

void* NH_Heap::ReAlloc(void* block, uint32_t size, int zero) {
    if (!block) return AllocMem(size);
    if (_flags & NH_ZERO_FILL) zero = 1;
    if (IsAltBlock(block)) return ReAllocAlt(AltHeaderOf(block), size, zero);
    return ReAllocSmall(block, size, zero);
}

void* NH_Heap::ReAllocSmall(void* block, uint32_t size, int zero) {
    NH_SmallBlock* small = SmallBlockOf(block);
    const uint32_t oldSize = small->_size;
    if (size <= kLargestSmallBlock - kSmallHeaderSize &&
        size + kSmallHeaderSize <= NH_sizeClasses.sizes[small->_classIndex]) {
        if (zero && size > oldSize)
            std::memset(static_cast<char*>(block) + oldSize, 0, size - oldSize);
        small->_size = static_cast<uint16_t>(size);
        return block;
    }
    char* moved = static_cast<char*>(AllocMem(size));
    if (!moved) return nullptr;
    std::memcpy(moved, block, oldSize); // only growth moves a small block
    if (zero) std::memset(moved + oldSize, 0, size - oldSize);
    FreeMem(block);
    return moved;
}

// Big blocks are resized by their owner under its lock; virtual blocks need
// no lock. Both keep their user pointer right after the header.
void* NH_Heap::ReAllocAlt(NH_AltBlock* header, uint32_t size, int zero) {
    if (size > kLargestRequest) return nullptr;
    const uint32_t oldSize = header->_size;
    const uint32_t altSize = RoundUp(size + kAltHeaderSize, 4);
    NH_Heap* owner = header->_heap;
    if (header->_virtual) {
        // Beyond its reservation a virtual block cannot grow however much
        // memory is freed: failing at once keeps the emergency reserve and
        // does not call a new-handler that can only return again.
        if (!NH_VirtualBlockFits(header, altSize)) return nullptr;
        while (!ResizeVirtual(header, altSize, 0)) {
            if (!owner->HandleOutOfMemory()) return nullptr;
        }
    } else {
        owner->Lock();
        NH_BigBlock* block;
        while (!(block = owner->ReAllocBigBlock(BigBlockOf(header), altSize))) {
            if (!owner->RetryAfterOutOfMemory()) return nullptr; // the lock has been left
        }
        NH_AltBlock* moved = AltHeaderOf(block);
        if (moved != header) {
            if (moved->_prev)
                moved->_prev->_next = moved;
            else
                owner->_altBlocks = moved;
            if (moved->_next) moved->_next->_prev = moved;
            header = moved;
        }
        owner->Unlock();
    }
    char* user = UserOf(header);
    if (zero && size > oldSize) std::memset(user + oldSize, 0, size - oldSize);
    header->_size = size;
    return user;
}

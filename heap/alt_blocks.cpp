// Alternative blocks (big and virtual blocks, each with an NH_AltBlock
// header): the heap's list of them, and the big path of AllocMem and FreeMem.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/links.h"
#include "heap/process_state.h"

void NH_Heap::InitAltBlock(NH_AltBlock* header, uint32_t size, uint32_t isVirtual) {
    header->_heap = this;
    header->_size = size;
    header->_virtual = isVirtual;
    header->_zero16 = 0;
    header->_zero8 = 0;
    header->_status = 1;
    NH_PushFront(_altBlocks, header, &NH_AltBlock::_prev, &NH_AltBlock::_next);
}

void* NH_Heap::AllocBig(uint32_t size) {
    EnsureInitialised();
    const uint32_t altSize = RoundUp(size + kAltHeaderSize, 4);
    Lock();
    NH_BigBlock* block;
    while (!(block = AllocBigBlock(altSize))) {
        if (!RetryAfterOutOfMemory()) return nullptr; // the lock has been left
    }
    NH_AltBlock* header = AltHeaderOf(block);
    InitAltBlock(header, size, 0);
    Unlock();
    char* user = UserOf(header);
    if (_flags & NH_ZERO_FILL) std::memset(user, 0, size);
    return user;
}

void NH_Heap::FreeAlt(NH_AltBlock* header) {
    if (_bypassFree) return;
    Lock();
    NH_Unlink(_altBlocks, header, &NH_AltBlock::_prev, &NH_AltBlock::_next);
    if (header->_virtual) {
        --_virtualCount;
        FreeVirtual(header);
    } else {
        ReleaseBigBlock(BigBlockOf(header));
    }
    Unlock();
}

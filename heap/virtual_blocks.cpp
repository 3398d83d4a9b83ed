// Virtual blocks: a region of their own, reserved up front and committed as
// they grow, so that they never move. A header before the returned address
// records the requested, reserved and committed sizes (12 bytes; padded to
// 16 where pointers are 64-bit, so that a heap's NH_AltBlock header that
// follows it is aligned). Regions go
// through the dynamic-memory map like every other region of this manager.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/process_state.h"

namespace {

struct VirtualHeader {
    uint32_t size;      // requested
    uint32_t reserved;  // bytes of the region, header included
    uint32_t committed; // bytes committed from the region's start
};
static_assert(RoundUp(sizeof(VirtualHeader), alignof(void*)) == kVirtualHeaderSize,
              "the header is part of the block layout");

VirtualHeader* HeaderOf(void* block) {
    return reinterpret_cast<VirtualHeader*>(static_cast<char*>(block) - kVirtualHeaderSize);
}

// size + header rounded up to unit; 0 when that overflows.
uint32_t WithHeader(uint32_t size, uint32_t unit) {
    if (size > UINT32_MAX - kVirtualHeaderSize - (unit - 1)) return 0;
    return RoundUp(size + kVirtualHeaderSize, unit);
}

} // namespace

// Freshly committed pages are zero, so the zero flag needs no clearing here.
void* AllocVirtual(uint32_t reserve, uint32_t size, int /*zero*/) {
    NH_EnsureProcessState();
    const uint32_t reserved = WithHeader(reserve, NH_constants.granularity);
    const uint32_t committed = WithHeader(size, NH_constants.pageSize);
    if (reserved == 0 || committed == 0 || committed > reserved) return nullptr;
    char* base = static_cast<char*>(NH_ReserveRegion(reserved));
    if (!base) return nullptr;
    if (!NH_OsCommit(base, committed)) {
        NH_ReleaseRegion(base, reserved);
        return nullptr;
    }
    VirtualHeader* header = reinterpret_cast<VirtualHeader*>(base);
    header->size = size;
    header->reserved = reserved;
    header->committed = committed;
    return base + kVirtualHeaderSize;
}

void* ResizeVirtual(void* block, uint32_t size, int zero) {
    VirtualHeader* header = HeaderOf(block);
    char* base = reinterpret_cast<char*>(header);
    const uint32_t needed = WithHeader(size, NH_constants.pageSize);
    if (needed == 0 || needed > header->reserved) return nullptr;
    if (needed < header->committed) {
        NH_OsDecommit(base + needed, header->committed - needed);
    } else if (needed > header->committed) {
        if (!NH_OsCommit(base + header->committed, needed - header->committed)) return nullptr;
    }
    // Shrinking within a page keeps the old bytes: growing again must clear them.
    if (zero && size > header->size)
        std::memset(static_cast<char*>(block) + header->size, 0, size - header->size);
    header->size = size;
    header->committed = needed;
    return block;
}

int NH_VirtualBlockFits(void* block, uint32_t size) {
    const uint32_t needed = WithHeader(size, NH_constants.pageSize);
    return needed != 0 && needed <= HeaderOf(block)->reserved;
}

void FreeVirtual(void* block) {
    VirtualHeader* header = HeaderOf(block);
    NH_ReleaseRegion(header, header->reserved);
}

void* NH_Heap::AllocWithReserve(uint32_t reserve, uint32_t size, int zero) {
    if (reserve > kLargestRequest || size > kLargestRequest) return nullptr;
    EnsureInitialised();
    void* region =
        AllocVirtual(RoundUp(reserve + kAltHeaderSize, 4), RoundUp(size + kAltHeaderSize, 4), zero);
    if (!region) return nullptr;
    NH_AltBlock* header = static_cast<NH_AltBlock*>(region);
    Lock();
    InitAltBlock(header, size, 1);
    ++_virtualCount;
    Unlock();
    return UserOf(header);
}

#include "heap/dynamic_memory_map.h"

void DynamicMemoryMap::Mark(uintptr_t base, uint32_t size, bool reserved) {
    if (size == 0) return;
    uint64_t first = static_cast<uint64_t>(base) >> kRegionShift;
    uint64_t last = (static_cast<uint64_t>(base) + size - 1) >> kRegionShift;
    for (uint64_t region = first; region <= last && region < kRegionCount; ++region) {
        uint8_t bit = static_cast<uint8_t>(1u << (region & 7));
        if (reserved)
            _bits[region >> 3] |= bit;
        else
            _bits[region >> 3] &= static_cast<uint8_t>(~bit);
    }
}

bool DynamicMemoryMap::Contains(uintptr_t address) const {
    uint64_t region = static_cast<uint64_t>(address) >> kRegionShift;
    return region < kRegionCount && (_bits[region >> 3] >> (region & 7) & 1) != 0;
}

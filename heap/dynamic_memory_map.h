#pragma once
// One bit for every 64 KB region of the 4 GB address space (8192 bytes): set
// while the memory manager holds the region reserved. Not synchronised: the
// callers hold the global critical section. Addresses beyond 4 GB are never
// marked.

#include <cstdint>

class DynamicMemoryMap {
public:
    enum : uint32_t { kRegionShift = 16, kRegionCount = 65536 };

    // Marks (or unmarks) every region touched by [base, base + size).
    void Mark(uintptr_t base, uint32_t size, bool reserved);
    bool Contains(uintptr_t address) const;

private:
    uint8_t _bits[kRegionCount / 8] = {};
};

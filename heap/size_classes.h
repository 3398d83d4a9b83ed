#pragma once
// The block sizes of small blocks. A small block occupies its class size in
// bytes (header included); requests whose total (size + 4, at least 12) is at
// most 1024 bytes are small.

#include <cstdint>

enum : uint32_t {
    kSizeClassCount = 67,
    kSmallestBlock = 12, // header plus the two free-list links
    kLargestSmallBlock = 1024
};

struct SizeClassTable {
    uint32_t sizes[kSizeClassCount];              // ascending, 12 ... 1024
    uint8_t classOfTotal[kLargestSmallBlock + 1]; // smallest class holding that many bytes
};

// Builds the classes by the growth rule: each size is the previous plus a
// twentieth of it rounded up to a multiple of 4 (at least 4), up to 1024.
void BuildSizeClasses(SizeClassTable& table);

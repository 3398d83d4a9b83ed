#include "heap/size_classes.h"

void BuildSizeClasses(SizeClassTable& table) {
    uint32_t count = 0;
    for (uint32_t size = kSmallestBlock; size <= kLargestSmallBlock;) {
        table.sizes[count++] = size;
        uint32_t step = (size / 20 + 3) & ~3u;
        size += step < 4 ? 4 : step;
    }
    if (table.sizes[count - 1] != kLargestSmallBlock) table.sizes[count++] = kLargestSmallBlock;

    uint32_t index = 0;
    for (uint32_t total = 0; total <= kLargestSmallBlock; ++total) {
        while (table.sizes[index] < total)
            ++index;
        table.classOfTotal[total] = static_cast<uint8_t>(index);
    }
}

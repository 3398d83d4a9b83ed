// IsMemoryFilledWith: sixteen bytes at a time as four 32-bit words, then the
// remaining bytes one by one.

#include <cstring>

#include "heap/heap_services.h"

int IsMemoryFilledWith(const void* address, uint32_t count, uint8_t value) {
    const unsigned char* bytes = static_cast<const unsigned char*>(address);
    const uint32_t pattern = value * 0x01010101u;
    for (; count >= 16; count -= 16, bytes += 16) {
        uint32_t words[4];
        std::memcpy(words, bytes, sizeof words); // the address need not be aligned
        if ((words[0] ^ pattern) | (words[1] ^ pattern) | (words[2] ^ pattern) |
            (words[3] ^ pattern))
            return 0;
    }
    for (; count; --count, ++bytes) {
        if (*bytes != value) return 0;
    }
    return 1;
}

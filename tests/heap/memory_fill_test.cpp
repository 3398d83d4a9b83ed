// IsMemoryFilledWith: the word-wise part (16 bytes at a time) and the
// byte-wise rest. Each case's bytes sit in a buffer of exactly count bytes,
// so that the sanitizers of the native build catch any read past the end.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "heap/heap_services.h"

namespace {

TEST(IsMemoryFilledWith, WordsThenTheRemainingBytes) {
    struct Case {
        uint32_t count;
        int mismatchAt; // -1: none
        int expected;
    } cases[] = {
        {0, -1, 1},  {1, -1, 1},  {1, 0, 0},   {15, 14, 0}, {16, -1, 1}, {16, 15, 0},
        {17, -1, 1}, {17, 16, 0}, // the seventeenth byte is compared on its own
        {17, 0, 0},  {17, 5, 0},  {32, 31, 0}, {33, -1, 1}, {33, 32, 0}, {100, 63, 0},
    };
    for (uint8_t value : {0x00, 0x5A, 0xFF}) {
        for (const Case& c : cases) {
            for (uint32_t offset : {0u, 1u, 3u}) { // any alignment of the start
                std::vector<uint8_t> buffer(offset + c.count, value);
                if (c.mismatchAt >= 0)
                    buffer[offset + c.mismatchAt] = static_cast<uint8_t>(value ^ 0x01);
                EXPECT_EQ(c.expected, IsMemoryFilledWith(buffer.data() + offset, c.count, value))
                    << "count " << c.count << " mismatch " << c.mismatchAt << " value "
                    << int(value);
            }
        }
    }
}

TEST(IsMemoryFilledWith, AByteThatDiffersInOneWordOnlyIsSeen) {
    // A mismatch in the high byte of the third word: the words are compared whole.
    std::vector<uint8_t> buffer(16, 0x80);
    buffer[11] = 0x00;
    EXPECT_EQ(0, IsMemoryFilledWith(buffer.data(), 16, 0x80));
    EXPECT_EQ(1, IsMemoryFilledWith(buffer.data(), 11, 0x80));
}

} // namespace

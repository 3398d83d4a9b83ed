#include "search/line_ends.h"

#include <emmintrin.h>

namespace {

// Adds up the delimiters in byte lanes, at most 255 blocks before the lanes
// are summed, so that no lane overflows.
uint32_t CountDelimiters(const unsigned char* data, uint32_t from, uint32_t to,
                         unsigned char delimiter) {
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(delimiter));
    const __m128i zero = _mm_setzero_si128();
    uint32_t count = 0;
    uint32_t i = from;
    while (to - i >= 16) {
        const uint32_t blocks = (to - i) / 16 < 255 ? (to - i) / 16 : 255;
        __m128i lanes = zero;
        for (uint32_t block = 0; block < blocks; ++block, i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, wanted)); // a match is -1
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += static_cast<uint32_t>(_mm_cvtsi128_si32(sums) +
                                       _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    for (; i < to; ++i)
        count += data[i] == delimiter;
    return count;
}

} // namespace

LineEnds CountLineEnds(const unsigned char* data, uint32_t from, uint32_t to,
                       unsigned char delimiter) {
    LineEnds ends = {CountDelimiters(data, from, to, delimiter), 0, 0};
    // The last two, backwards from the end: they lie in the last lines.
    const uint32_t wanted = ends.count < 2 ? ends.count : 2;
    uint32_t found = 0;
    for (uint32_t i = to; found < wanted;) {
        --i;
        if (data[i] != delimiter) continue;
        (found == 0 ? ends.afterLast : ends.afterSecondLast) = i + 1;
        ++found;
    }
    return ends;
}

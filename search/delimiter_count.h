// The count of one byte in a stretch, written once for any vector width
// (search/vector_lanes.h). line_ends.cpp builds it with SSE2 and
// search_avx2.cpp with AVX2; only those two include this file, and the
// template has internal linkage, so that neither build stands in for the
// other's at link time.
#pragma once

#include <cstdint>

// The AVX2 build (search/search_avx2.cpp); call it only where the processor
// offers AVX2.
uint32_t CountDelimitersAvx2(const unsigned char* data, uint32_t from, uint32_t to,
                             unsigned char delimiter);

namespace {

// Adds up the delimiters in byte lanes, at most 255 vectors before the lanes
// are summed, so that no lane overflows.
template <class Lanes>
uint32_t CountDelimitersIn(const unsigned char* data, uint32_t from, uint32_t to,
                           unsigned char delimiter) {
    using Vector = typename Lanes::Vector;
    const uint32_t width = Lanes::width;
    const Vector wanted = Lanes::Splat(delimiter);
    uint32_t count = 0;
    uint32_t i = from;
    while (to - i >= width) {
        const uint32_t vectors = (to - i) / width < 255 ? (to - i) / width : 255;
        Vector lanes = Lanes::Zero();
        for (uint32_t vector = 0; vector < vectors; ++vector, i += width) // a match is -1
            lanes = Lanes::SubtractBytes(lanes, Lanes::Equal(Lanes::Load(data + i), wanted));
        count += Lanes::SumOfBytes(lanes);
    }
    for (; i < to; ++i)
        count += data[i] == delimiter;
    return count;
}

} // namespace

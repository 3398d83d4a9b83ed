#include "search/line_ends.h"

#include "search/delimiter_count.h"
#include "search/vector_lanes.h"

namespace {

uint32_t CountDelimiters(VectorBuild build, const unsigned char* data, uint32_t from, uint32_t to,
                         unsigned char delimiter) {
    return build == VectorBuild::avx2 ? CountDelimitersAvx2(data, from, to, delimiter)
                                      : CountDelimitersIn<Sse2Lanes>(data, from, to, delimiter);
}

} // namespace

LineEnds CountLineEnds(const unsigned char* data, uint32_t from, uint32_t to,
                       unsigned char delimiter) {
    return CountLineEndsWith(WidestVectorBuild(), data, from, to, delimiter);
}

LineEnds CountLineEndsWith(VectorBuild build, const unsigned char* data, uint32_t from, uint32_t to,
                           unsigned char delimiter) {
    LineEnds ends = {CountDelimiters(build, data, from, to, delimiter), 0, 0};
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

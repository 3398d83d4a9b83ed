// The plain search's entry: the SSE2 build of the scan, or the AVX2 one
// where the processor offers it.
#include "search/plain_search.h"

#include "search/plain_scan.h"
#include "search/vector_lanes.h"

int32_t FindPlainMatchesWith(VectorBuild build, const unsigned char* data, uint32_t size,
                             const PlainQuery& query, uint32_t* positions, int32_t maxPositions,
                             uint32_t* stoppedAt, uint32_t from, uint32_t until) {
    return build == VectorBuild::avx2
               ? FindPlainMatchesAvx2(data, size, query, positions, maxPositions, stoppedAt, from,
                                      until)
               : FindPlainMatchesIn<Sse2Lanes>(data, size, query, positions, maxPositions,
                                               stoppedAt, from, until);
}

int32_t FindPlainMatches(const unsigned char* data, uint32_t size, const PlainQuery& query,
                         uint32_t* positions, int32_t maxPositions, uint32_t* stoppedAt,
                         uint32_t from, uint32_t until) {
    return FindPlainMatchesWith(WidestVectorBuild(), data, size, query, positions, maxPositions,
                                stoppedAt, from, until);
}

// The AVX2 builds of the search's byte scans (search/vector_build.h). Only
// the code below the pragma is built for AVX2; the headers above it keep the
// instruction set of the rest of the library, so that none of their inline
// functions comes out in AVX2 code that a processor without it could be
// handed.
#include "search/byte_frequency.h"
#include "search/line_ends.h"
#include "search/plain_search.h"
#include "search/word_chars.h"

#include <cstdint>
#include <immintrin.h>
#include <type_traits>

#pragma GCC push_options
#pragma GCC target("avx2")

#include "search/delimiter_count.h"
#include "search/plain_scan.h"

namespace {

struct Avx2Lanes {
    using Vector = __m256i;
    enum : uint32_t { width = 32 };

    static Vector Load(const unsigned char* at) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    }
    static Vector Zero() { return _mm256_setzero_si256(); }
    static Vector Splat(unsigned char c) { return _mm256_set1_epi8(static_cast<char>(c)); }
    static Vector Equal(Vector a, Vector b) { return _mm256_cmpeq_epi8(a, b); }
    static Vector Or(Vector a, Vector b) { return _mm256_or_si256(a, b); }
    static Vector And(Vector a, Vector b) { return _mm256_and_si256(a, b); }
    static Vector AndNot(Vector dropped, Vector kept) { return _mm256_andnot_si256(dropped, kept); }
    static Vector SubtractBytes(Vector a, Vector b) { return _mm256_sub_epi8(a, b); }
    static uint32_t Mask(Vector v) { return static_cast<uint32_t>(_mm256_movemask_epi8(v)); }
    static uint32_t SumOfBytes(Vector v) {
        const __m256i sums = _mm256_sad_epu8(v, _mm256_setzero_si256());
        const __m128i halves =
            _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        return static_cast<uint32_t>(_mm_cvtsi128_si32(halves) +
                                     _mm_cvtsi128_si32(_mm_srli_si128(halves, 8)));
    }
    // As Sse2Lanes::Letters, 32 bytes at once.
    static Vector Letters(Vector bytes) {
        const Vector folded = _mm256_or_si256(bytes, _mm256_set1_epi8(0x20));
        const Vector moved =
            _mm256_add_epi8(folded, _mm256_set1_epi8(static_cast<char>(0x80 - 'a')));
        return _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(0x80 + 26)), moved);
    }
};

} // namespace

int32_t FindPlainMatchesAvx2(const unsigned char* data, uint32_t size, const PlainQuery& query,
                             uint32_t* positions, int32_t maxPositions, uint32_t* stoppedAt,
                             uint32_t from, uint32_t until) {
    return FindPlainMatchesIn<Avx2Lanes>(data, size, query, positions, maxPositions, stoppedAt,
                                         from, until);
}

uint32_t CountDelimitersAvx2(const unsigned char* data, uint32_t from, uint32_t to,
                             unsigned char delimiter) {
    return CountDelimitersIn<Avx2Lanes>(data, from, to, delimiter);
}

#pragma GCC pop_options

// The vectors of bytes that the search's byte scans are written over
// (search/vector_build.h): SSE2's here, AVX2's in search/search_avx2.cpp. A
// Lanes type holds the vector and the few operations the scans use. Only the
// files that build a scan include this: code built without SSE2 enabled
// (the i686 target's default) cannot use it.
#pragma once

#include <cstdint>
#include <emmintrin.h>

struct Sse2Lanes {
    using Vector = __m128i;
    enum : uint32_t { width = 16 };

    static Vector Load(const unsigned char* at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    }
    static Vector Zero() { return _mm_setzero_si128(); }
    static Vector Splat(unsigned char c) { return _mm_set1_epi8(static_cast<char>(c)); }
    static Vector Equal(Vector a, Vector b) { return _mm_cmpeq_epi8(a, b); }
    static Vector Or(Vector a, Vector b) { return _mm_or_si128(a, b); }
    static Vector And(Vector a, Vector b) { return _mm_and_si128(a, b); }
    static Vector AndNot(Vector dropped, Vector kept) { return _mm_andnot_si128(dropped, kept); }
    static Vector SubtractBytes(Vector a, Vector b) { return _mm_sub_epi8(a, b); }
    static uint32_t Mask(Vector v) { return static_cast<uint32_t>(_mm_movemask_epi8(v)); }
    // The sum of all the bytes, taken as unsigned.
    static uint32_t SumOfBytes(Vector v) {
        const __m128i sums = _mm_sad_epu8(v, _mm_setzero_si128());
        return static_cast<uint32_t>(_mm_cvtsi128_si32(sums) +
                                     _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    // 0xFF in each byte that is an ASCII letter: OR-ing 0x20 folds the
    // letters onto a-z, and adding 0x80 - 'a' moves a-z to the 26 smallest
    // signed values, so that one signed comparison finds them.
    static Vector Letters(Vector bytes) {
        const Vector folded = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
        const Vector moved = _mm_add_epi8(folded, _mm_set1_epi8(static_cast<char>(0x80 - 'a')));
        return _mm_cmplt_epi8(moved, _mm_set1_epi8(static_cast<char>(0x80 + 26)));
    }
};

// The plain search written once for any vector width of its candidate scan
// (search/vector_lanes.h). plain_search.cpp builds it with SSE2 and
// search_avx2.cpp with AVX2; only those two include this file, and
// everything in it has internal linkage, so that neither build of a function
// can stand in for the other's at link time.
//
// The candidate scan tests two bytes of the text, its two rarest in text
// (search/byte_frequency.h), at two vectors of positions per step (2 x 16
// with SSE2, 2 x 32 with AVX2): only where both fit is the whole text
// compared, so the common case of a step without a candidate costs a few
// instructions. Ignoring case, a byte of the text fits the bytes that fold
// onto the same upper case (search/word_chars.h): itself and its other case,
// so a tested byte is compared with both. Where the two cases differ only in
// bit 0x20 (the ASCII letters, most of a Western code page's), the rest of a
// short text is compared 16 bytes at once by OR-ing that bit into the data
// byte; otherwise byte by byte through the fold table. Candidates are handed
// on in increasing order, so the semantics are those of the
// one-position-at-a-time walk: an accepted match drops the candidates inside
// it, the limit ends the search at once.
#pragma once

#include "search/byte_frequency.h"
#include "search/plain_search.h"
#include "search/word_chars.h"

#include <emmintrin.h>
#include <type_traits>

// The AVX2 build of the whole search (search_avx2.cpp); call it only
// where the processor offers AVX2.
int32_t FindPlainMatchesAvx2(const unsigned char* data, uint32_t size, const PlainQuery& query,
                             uint32_t* positions, int32_t maxPositions, uint32_t* stoppedAt,
                             uint32_t from, uint32_t until);

namespace {

// The bytes a byte of the text fits: itself and, ignoring case, the other
// byte that folds onto the same upper case. `single` is false when more than
// two bytes fold together, which the vector compare cannot test.
struct Cases {
    unsigned char one, other;
    bool single;
};

Cases CasesOf(unsigned char c, int caseInsensitive) {
    Cases cases = {c, c, true};
    if (!caseInsensitive) return cases;
    const CharClasses& classes = HostCharClasses();
    cases.other = classes.otherCase[c];
    cases.single = !classes.manyCases[c];
    return cases;
}

// The bit to OR into a data byte so that both cases of `c` give one value,
// or -1 when the cases differ otherwise.
int FoldBitOf(unsigned char c, int caseInsensitive) {
    const Cases cases = CasesOf(c, caseInsensitive);
    if (!cases.single) return -1;
    if (cases.one == cases.other) return 0;
    return (cases.one ^ cases.other) == 0x20 ? 0x20 : -1;
}

// The first 16 bytes of the text prepared for comparing 16 bytes at once:
// the form a folded data byte must equal, the bits to OR into the data byte
// before comparing, and which of the 16 positions belong to the text.
struct PreparedText {
    const unsigned char* bytes;
    uint32_t length;
    bool vector; // the 16-byte compare applies
    __m128i wantedFirst16;
    __m128i foldFirst16;
    int compareMask16;
};

void Prepare(const PlainQuery& query, PreparedText& prepared) {
    prepared.bytes = query.text;
    prepared.length = query.length;
    prepared.vector = query.length <= 16;
    unsigned char wanted16[16] = {};
    unsigned char fold16[16] = {};
    for (uint32_t i = 0; i < query.length && i < 16; ++i) {
        const int bit = FoldBitOf(query.text[i], query.caseInsensitive);
        if (bit < 0) prepared.vector = false;
        fold16[i] = static_cast<unsigned char>(bit > 0 ? bit : 0);
        wanted16[i] = static_cast<unsigned char>(query.text[i] | fold16[i]);
    }
    prepared.wantedFirst16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wanted16));
    prepared.foldFirst16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fold16));
    prepared.compareMask16 = query.length >= 16 ? 0xFFFF : (1 << query.length) - 1;
}

// Whether the text lies at `p`; the caller guarantees p + length <= size.
inline bool TextAt(const unsigned char* data, uint32_t size, uint32_t p, const PreparedText& text,
                   int caseInsensitive) {
    if (text.vector && size - p >= 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        __m128i equal = _mm_cmpeq_epi8(_mm_or_si128(bytes, text.foldFirst16), text.wantedFirst16);
        return (_mm_movemask_epi8(equal) & text.compareMask16) == text.compareMask16;
    }
    const unsigned char* upper = HostCharClasses().upper;
    for (uint32_t i = 0; i < text.length; ++i) {
        unsigned char have = data[p + i];
        unsigned char want = text.bytes[i];
        if (caseInsensitive ? upper[have] != upper[want] : have != want) return false;
    }
    return true;
}

// Decides on the candidates and keeps the accepted matches: the comparison
// of the whole text, the whole-word test and the limit.
class MatchCollector {
public:
    MatchCollector(const unsigned char* data, uint32_t size, const PlainQuery& query,
                   uint32_t* positions, int32_t maxPositions)
        : _data(data), _size(size), _query(query), _positions(positions),
          _maxPositions(maxPositions) {
        Prepare(query, _text);
    }

    // Tries the candidate at p (first and last byte already fit, or not yet
    // tested when `checkEnds` is set). Returns the position to resume at.
    uint32_t Try(uint32_t p, bool checkEnds) {
        const uint32_t length = _text.length;
        if (checkEnds && (!Fits(_data[p], 0) || !Fits(_data[p + length - 1], length - 1)))
            return p + 1;
        if (!TextAt(_data, _size, p, _text, _query.caseInsensitive)) return p + 1;
        if (_query.wholeWords && !IsBoundedByNonWords(_data, _size, p, length)) return p + 1;
        _positions[_count++] = p;
        return p + length;
    }

    bool Full() const { return _count >= _maxPositions; }
    int32_t Count() const { return _count; }

private:
    bool Fits(unsigned char have, uint32_t i) const {
        const unsigned char want = _query.text[i];
        return _query.caseInsensitive ? FoldToUpper(have) == FoldToUpper(want) : have == want;
    }

    const unsigned char* _data;
    uint32_t _size;
    const PlainQuery& _query;
    uint32_t* _positions;
    int32_t _maxPositions;
    int32_t _count = 0;
    PreparedText _text;
};

inline int LowestBit(uint32_t bits) {
    return __builtin_ctz(bits);
}

inline int LowestBit(uint64_t bits) {
    return __builtin_ctzll(bits);
}

// How rare a byte of the text is in text, with its other case when the
// search ignores case (the rank of the more common of the two).
int RankOf(unsigned char c, int caseInsensitive) {
    const Cases cases = CasesOf(c, caseInsensitive);
    const int one = byteFrequencyRank[cases.one];
    const int other = byteFrequencyRank[cases.other];
    return one > other ? one : other;
}

// The offsets of the text's two rarest bytes, in order; a one-byte text
// tests its byte twice.
void ChooseTestedBytes(const PlainQuery& query, uint32_t* first, uint32_t* last) {
    int ranks[256];
    for (uint32_t i = 0; i < query.length && i < 256; ++i)
        ranks[i] = RankOf(query.text[i], query.caseInsensitive);
    const uint32_t length = query.length < 256 ? query.length : 256;
    uint32_t rarest = 0;
    for (uint32_t i = 1; i < length; ++i)
        if (ranks[i] < ranks[rarest]) rarest = i;
    uint32_t second = rarest == 0 ? length - 1 : 0;
    for (uint32_t i = 0; i < length; ++i)
        if (i != rarest && ranks[i] < ranks[second]) second = i;
    *first = rarest < second ? rarest : second;
    *last = rarest < second ? second : rarest;
}

// The cases of the two tested bytes of the text, spread over the lanes, and
// their offsets in it (first before last, or both the same).
template <class Lanes>
struct EndBytes {
    typename Lanes::Vector firstOne, firstOther, lastOne, lastOther;
    uint32_t firstOffset, lastOffset;
    uint32_t length; // of the text
};

// Bits of the Lanes::width positions from `at` where the two tested bytes of
// the text fit. `Fold` is false when neither tested byte has another case.
// With `WholeWords`, a position with a letter right before it or right
// behind the text drops out as well (a cheap first cut of the whole-word
// test: digits and _ are left to the exact test); it is done here, for every
// position, because branching on the many candidates of a short common word
// costs more. Reads at - 1 (with WholeWords) up to at + width - 1 + the last
// offset (at + width - 1 + the text's length with WholeWords).
template <class Lanes, bool Fold, bool WholeWords>
inline uint32_t CandidateBits(const unsigned char* at, const EndBytes<Lanes>& ends) {
    using Vector = typename Lanes::Vector;
    const Vector first = Lanes::Load(at + ends.firstOffset);
    const Vector last = Lanes::Load(at + ends.lastOffset);
    Vector firstFits = Lanes::Equal(first, ends.firstOne);
    Vector lastFits = Lanes::Equal(last, ends.lastOne);
    if (Fold) {
        firstFits = Lanes::Or(firstFits, Lanes::Equal(first, ends.firstOther));
        lastFits = Lanes::Or(lastFits, Lanes::Equal(last, ends.lastOther));
    }
    Vector hits = Lanes::And(firstFits, lastFits);
    if (WholeWords) {
        const Vector before = Lanes::Load(at - 1);
        const Vector after = Lanes::Load(at + ends.length);
        hits = Lanes::AndNot(Lanes::Or(Lanes::Letters(before), Lanes::Letters(after)), hits);
    }
    return Lanes::Mask(hits);
}

// Tests windows of two vectors' positions from `p` while every byte a window
// reads lies inside the data and every position lies below `until`, and
// hands each candidate to the collector in order. Returns the position where
// the scan ended; the collector may be full.
template <class Lanes, bool Fold, bool WholeWords>
uint32_t ScanWindows(const unsigned char* data, uint32_t size, uint32_t p, uint32_t until,
                     const EndBytes<Lanes>& ends, uint32_t length, MatchCollector& collector) {
    using Bits = typename std::conditional<Lanes::width == 16, uint32_t, uint64_t>::type;
    const uint32_t width = Lanes::width, windowSize = 2 * Lanes::width;
    // A window reads up to the last byte of the text at its last position,
    // and with whole words the byte behind that.
    const uint32_t reach = (WholeWords ? length : length - 1) + windowSize;
    if (size < reach || until < windowSize) return p;
    const uint32_t lastStart =
        size - reach < until - windowSize ? size - reach : until - windowSize;
    while (p <= lastStart) {
        Bits bits =
            CandidateBits<Lanes, Fold, WholeWords>(data + p, ends) |
            static_cast<Bits>(CandidateBits<Lanes, Fold, WholeWords>(data + p + width, ends))
                << width;
        if (bits == 0) {
            p += windowSize;
            continue;
        }
        uint32_t next = p + windowSize;
        while (bits != 0) {
            uint32_t resume = collector.Try(p + static_cast<uint32_t>(LowestBit(bits)), false);
            if (collector.Full()) return resume;
            if (resume >= next) { // an accepted match reaches past this window
                next = resume;
                break;
            }
            bits &= ~Bits(0) << (resume - p); // drop the candidates inside the accepted match
        }
        p = next;
    }
    return p;
}

// The whole search, its candidate scan in `Lanes`.
template <class Lanes>
int32_t FindPlainMatchesIn(const unsigned char* data, uint32_t size, const PlainQuery& query,
                           uint32_t* positions, int32_t maxPositions, uint32_t* stoppedAt,
                           uint32_t from, uint32_t until) {
    const uint32_t length = query.length;
    if (length == 0 || maxPositions <= 0 || length > size || from > size - length ||
        from >= until) {
        if (stoppedAt) *stoppedAt = size;
        return 0;
    }
    MatchCollector collector(data, size, query, positions, maxPositions);
    // The text must fit behind p.
    const uint32_t lastCandidate = size - length < until - 1 ? size - length : until - 1;
    uint32_t p = from;

    // With whole words the window scan reads the byte before each position,
    // so position 0 is tried by itself.
    if (query.wholeWords && p == 0) p = collector.Try(0, true);
    uint32_t firstOffset, lastOffset;
    ChooseTestedBytes(query, &firstOffset, &lastOffset);
    const Cases first = CasesOf(query.text[firstOffset], query.caseInsensitive);
    const Cases last = CasesOf(query.text[lastOffset], query.caseInsensitive);
    // Where more than two bytes fold together, every position is tried alone.
    if (!collector.Full() && first.single && last.single) {
        EndBytes<Lanes> ends;
        ends.firstOne = Lanes::Splat(first.one);
        ends.firstOther = Lanes::Splat(first.other);
        ends.lastOne = Lanes::Splat(last.one);
        ends.lastOther = Lanes::Splat(last.other);
        ends.firstOffset = firstOffset;
        ends.lastOffset = lastOffset;
        ends.length = length;
        const bool fold = first.one != first.other || last.one != last.other;
        if (fold) {
            p = query.wholeWords
                    ? ScanWindows<Lanes, true, true>(data, size, p, until, ends, length, collector)
                    : ScanWindows<Lanes, true, false>(data, size, p, until, ends, length,
                                                      collector);
        } else {
            p = query.wholeWords
                    ? ScanWindows<Lanes, false, true>(data, size, p, until, ends, length, collector)
                    : ScanWindows<Lanes, false, false>(data, size, p, until, ends, length,
                                                       collector);
        }
    }

    // The positions the windows could not reach: one at a time.
    while (!collector.Full() && p <= lastCandidate)
        p = collector.Try(p, true);
    if (stoppedAt) *stoppedAt = collector.Full() ? p : size;
    return collector.Count();
}

} // namespace

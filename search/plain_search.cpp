// The candidate scan tests two bytes of the text, its two rarest in text
// (search/byte_frequency.h), at 32 positions per step (two SSE2 blocks of
// 16): only where both fit is the whole text compared, so the common case of
// a step without a candidate costs a few instructions. Ignoring case, a byte
// of the text fits the bytes that fold onto the same upper case
// (search/word_chars.h): itself and its other case, so a tested byte is
// compared with both. Where the two cases differ only in
// bit 0x20 (the ASCII letters, most of a Western code page's), the rest of a
// short text is compared 16 bytes at once by OR-ing that bit into the data
// byte; otherwise byte by byte through the fold table.
// Candidates are handed on in increasing order, so the semantics are those of
// the one-position-at-a-time walk: an accepted match drops the candidates
// inside it, the limit ends the search at once.
#include "search/plain_search.h"

#include "search/byte_frequency.h"
#include "search/word_chars.h"

#include <emmintrin.h>

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

inline int LowestBit(unsigned bits) {
    return __builtin_ctz(bits);
}

// 0xFF in each byte of `bytes` that is an ASCII letter: OR-ing 0x20 folds
// the letters onto a-z, and adding 0x80 - 'a' moves a-z to the 26 smallest
// signed values, so that one signed comparison finds them.
inline __m128i LetterBytes(__m128i bytes) {
    const __m128i folded = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
    const __m128i moved = _mm_add_epi8(folded, _mm_set1_epi8(static_cast<char>(0x80 - 'a')));
    return _mm_cmplt_epi8(moved, _mm_set1_epi8(static_cast<char>(0x80 + 26)));
}

// The cases of the two tested bytes of the text, spread over 16 lanes, and
// their offsets in it (first before last, or both the same).
struct EndBytes {
    __m128i firstOne, firstOther, lastOne, lastOther;
    uint32_t firstOffset, lastOffset;
    uint32_t length; // of the text
};

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

// Bits of the 16 positions from `at` where the two tested bytes of the
// text fit. `Fold` is false when neither tested byte has another case. With
// `WholeWords`, a position with a letter right before it or right behind the
// text drops out as well (a cheap first cut of the whole-word test: digits
// and _ are left to the exact test); it is done here, for every position,
// because branching on the many candidates of a short common word costs more.
// Reads at - 1 (with WholeWords) up to at + 15 + the last offset (at + 15 +
// the text's length with WholeWords).
template <bool Fold, bool WholeWords>
inline unsigned CandidateBits(const unsigned char* at, const EndBytes& ends) {
    __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + ends.firstOffset));
    __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + ends.lastOffset));
    __m128i firstFits = _mm_cmpeq_epi8(first, ends.firstOne);
    __m128i lastFits = _mm_cmpeq_epi8(last, ends.lastOne);
    if (Fold) {
        firstFits = _mm_or_si128(firstFits, _mm_cmpeq_epi8(first, ends.firstOther));
        lastFits = _mm_or_si128(lastFits, _mm_cmpeq_epi8(last, ends.lastOther));
    }
    __m128i hits = _mm_and_si128(firstFits, lastFits);
    if (WholeWords) {
        __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at - 1));
        __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + ends.length));
        hits = _mm_andnot_si128(_mm_or_si128(LetterBytes(before), LetterBytes(after)), hits);
    }
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

enum { windowSize = 32 }; // positions tested per step of the window scan

// Tests windows of 32 positions from `p` while every byte a window reads lies
// inside the data and every position lies below `until`, and hands each
// candidate to the collector in order. Returns the position where the scan
// ended; the collector may be full.
template <bool Fold, bool WholeWords>
uint32_t ScanWindows(const unsigned char* data, uint32_t size, uint32_t p, uint32_t until,
                     const EndBytes& ends, uint32_t length, MatchCollector& collector) {
    // A window reads up to the last byte of the text at its last position,
    // and with whole words the byte behind that.
    const uint32_t reach = (WholeWords ? length : length - 1) + windowSize;
    if (size < reach || until < windowSize) return p;
    const uint32_t lastStart =
        size - reach < until - windowSize ? size - reach : until - windowSize;
    while (p <= lastStart) {
        uint32_t bits = CandidateBits<Fold, WholeWords>(data + p, ends) |
                        CandidateBits<Fold, WholeWords>(data + p + 16, ends) << 16;
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
            bits &= ~0u << (resume - p); // drop the candidates inside the accepted match
        }
        p = next;
    }
    return p;
}

} // namespace

int32_t FindPlainMatches(const unsigned char* data, uint32_t size, const PlainQuery& query,
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
        EndBytes ends;
        ends.firstOne = _mm_set1_epi8(static_cast<char>(first.one));
        ends.firstOther = _mm_set1_epi8(static_cast<char>(first.other));
        ends.lastOne = _mm_set1_epi8(static_cast<char>(last.one));
        ends.lastOther = _mm_set1_epi8(static_cast<char>(last.other));
        ends.firstOffset = firstOffset;
        ends.lastOffset = lastOffset;
        ends.length = length;
        const bool fold = first.one != first.other || last.one != last.other;
        if (fold) {
            p = query.wholeWords
                    ? ScanWindows<true, true>(data, size, p, until, ends, length, collector)
                    : ScanWindows<true, false>(data, size, p, until, ends, length, collector);
        } else {
            p = query.wholeWords
                    ? ScanWindows<false, true>(data, size, p, until, ends, length, collector)
                    : ScanWindows<false, false>(data, size, p, until, ends, length, collector);
        }
    }

    // The positions the windows could not reach: one at a time.
    while (!collector.Full() && p <= lastCandidate)
        p = collector.Try(p, true);
    if (stoppedAt) *stoppedAt = collector.Full() ? p : size;
    return collector.Count();
}

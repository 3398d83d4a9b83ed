// The plain search of one file's bytes: every occurrence of a literal text,
// with optional case folding of the code page (search/word_chars.h) and the whole-word test,
// reduced to non-overlapping accepted matches. Pure: reads the bytes in place, copies nothing,
// allocates nothing and never fails.
#pragma once

#include <cstdint>

#include "search/vector_build.h"

struct PlainQuery {
    const unsigned char* text; // the literal to find; not NUL-terminated here
    uint32_t length;           // at least 1
    int caseInsensitive;       // nonzero: the cases of a letter match each other
    int wholeWords;            // nonzero: keep only matches between word boundaries
};

// Walks the positions of `data` from `from` up to, not including, `until`
// (the bytes around them are still read: the neighbours of a match, and the
// rest of a match that starts before `until`). A match is accepted when the
// text equals the bytes there (after folding, if asked) and, with wholeWords,
// no word character stands right before or after it; the walk then resumes
// behind the match, so accepted matches never overlap. Any other position
// resumes at the next byte. Writes the offsets of the accepted matches, in
// increasing order, to `positions` and stops when `maxPositions` of them have
// been written. Positions are offsets in `data`. Returns their count. `*stoppedAt` (if not null)
// receives the offset where the walk ended: `size`, or the byte behind the last accepted match when
// the limit ended it.
int32_t FindPlainMatches(const unsigned char* data, uint32_t size, const PlainQuery& query,
                         uint32_t* positions, int32_t maxPositions, uint32_t* stoppedAt = nullptr,
                         uint32_t from = 0, uint32_t until = UINT32_MAX);

// FindPlainMatches with the candidate scan built for `build`, which the
// processor must offer; for tests that run each.
int32_t FindPlainMatchesWith(VectorBuild build, const unsigned char* data, uint32_t size,
                             const PlainQuery& query, uint32_t* positions, int32_t maxPositions,
                             uint32_t* stoppedAt = nullptr, uint32_t from = 0,
                             uint32_t until = UINT32_MAX);

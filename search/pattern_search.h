// The pattern search of one file: every match of a TRegexp in the file's
// text, restarted one byte after the start of each match, so matches may
// overlap. Pure: works on a copy of the bytes that the caller made.
#pragma once

#include <cstdint>

class TRegexp;

// Searches `text`, a copy of `size` bytes of a file followed by a zero byte;
// the search ends at the text's first zero byte (the rest is not searched).
// The matcher starts at `from` and every match that starts before `limit` is
// looked at; the first one starting at `limit` or later ends the search. Each
// match that the whole-word test accepts (when `wholeWords`) adds its offset
// in `text` to `positions`, in increasing order, until `maxPositions` are
// kept. Every offset lies before the first zero byte. Returns the count.
// `*unmatched` (if not null) is set to 1 when the search ended because the
// matcher found no further match, else to 0.
int32_t FindPatternMatches(const char* text, uint32_t size, const TRegexp& pattern, int wholeWords,
                           uint32_t* positions, int32_t maxPositions, uint32_t from = 0,
                           uint32_t limit = UINT32_MAX, int* unmatched = nullptr);

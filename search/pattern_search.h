// The pattern search of one file: every match of a TRegexp in the file's
// text, restarted one byte after the start of each match, so matches may
// overlap. Pure: works on a copy of the bytes that the caller made.
#pragma once

#include <cstdint>

class TRegexp;

// Searches `text`, a copy of a file's `size` bytes followed by a zero byte; the
// search ends at the text's first zero byte (the rest of the file is not
// searched). Each match that the whole-word test accepts (when `wholeWords`)
// adds its offset to `positions`, in increasing order, until `maxPositions`
// are kept. Every offset lies before the first zero byte. Returns the count.
int32_t FindPatternMatches(const char* text, uint32_t size, const TRegexp& pattern, int wholeWords,
                           int32_t* positions, int32_t maxPositions);

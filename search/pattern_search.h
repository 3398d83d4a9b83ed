// The pattern search of one file: every match of a TRegexp in the file's
// text, as if the matcher were started at the text's start and again one
// byte after the start of each match, so matches may overlap. That is one
// search from the text's start, not a new one at each restart: the start
// anchor holds at the text's start and at line starts only (`^a` in aaa is
// one match), and an empty match is 1 long at the text's start, 0 long
// anywhere else. An empty match counts like any other; the end of a text
// whose last line has no line end is the end of that line, so an empty match
// there counts too (`$` alone matches every line). The matches are found
// in one pass (search/regexp_scan.h), so the cost is linear in the text
// whatever the number of matches. Pure: works on a copy of the bytes that the
// caller made.
#pragma once

#include <cstdint>

class RegexpProgram;
class SearchPulse;

// Searches `text`, a copy of `size` bytes of a file followed by a zero byte;
// the search ends at the text's first zero byte (the rest is not searched).
// Offset 0 of `text` is the file's start, or lies before `from`. Every match
// that starts from `from` on and before `limit` is looked at, and, when
// `limit` reaches the text's end, an empty match at that end. Each match that
// the whole-word test accepts (when `wholeWords`) adds its offset in `text`
// to `positions`, in increasing order, until `maxPositions` are kept. Every
// offset lies before the first zero byte, or at it for an empty match at the
// end. `program` is that of a validly compiled pattern
// (search/compiled_pattern.h). `pulse` (may be null) is called every 64 KiB of work; when
// it asks to stop, the search ends with the offsets that lie before the
// point it reached. Returns the count.
int32_t FindPatternMatches(const char* text, uint32_t size, const RegexpProgram& program,
                           int wholeWords, uint32_t* positions, int32_t maxPositions,
                           uint32_t from = 0, uint32_t limit = UINT32_MAX,
                           SearchPulse* pulse = nullptr);

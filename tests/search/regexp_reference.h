#pragma once

#include <utility>
#include <vector>

// The pattern matcher's result defined the direct way: a plain transcription
// of the recursive backtracking search over the compiled code, kept as the
// oracle for TRegexp::Find. It is exponential in the number of repetitions,
// so it counts its element tries against a budget and says when it ran out.
struct ReferenceResult {
    int offset;     // -1 when there is no match
    int length;     // 0 when there is no match
    bool exhausted; // the budget ran out: offset and length mean nothing
};

// `code`: the 128-byte compiled form (may be null), `status` its compile
// status; `text` zero-terminated, `start` within it. `budget` < 0: no limit.
// `origin` (at most `start`; < 0: `start`) is where the search began: the
// start anchor holds there, and an empty match there is 1 long. The file
// search's matches are those of the search that begins at the text's start
// and goes on one byte after each match.
ReferenceResult ReferenceFind(const unsigned char* code, int status, const char* text, int start,
                              long budget = -1, int origin = -1);

// Whether the search that began at the text's start matches the empty text
// at its end (where Find's own rule for the terminating zero does not apply).
bool ReferenceEmptyAtEnd(const unsigned char* code, int status, const char* text);

// Every match of the file search's kind (see `origin`): ReferenceFind from
// offset 0 with origin 0, then again one byte after each match, as (offset,
// length) pairs. `exhausted`: the budget of a call ran out (the list is cut).
std::vector<std::pair<int, int>> ReferenceMatches(const unsigned char* code, int status,
                                                  const char* text, long budget, bool& exhausted);

// The same from RegexpScan (search/regexp_scan.h), the one-pass search.
std::vector<std::pair<int, int>> ScanMatches(const unsigned char* code, int status,
                                             const char* text);

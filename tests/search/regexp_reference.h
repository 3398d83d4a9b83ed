#pragma once

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

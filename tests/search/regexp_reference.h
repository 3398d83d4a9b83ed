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
ReferenceResult ReferenceFind(const unsigned char* code, int status, const char* text, int start,
                              long budget = -1);

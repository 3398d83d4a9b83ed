// The delimiters of a stretch of text, counted a vector at a time: the line
// pass goes over every byte of a file up to its last match, where a search
// for one delimiter after another would stop at each line. Pure.
#pragma once

#include <cstdint>

#include "search/vector_build.h"

struct LineEnds {
    uint32_t count;           // delimiters in the stretch
    uint32_t afterLast;       // offset behind the last one, when count >= 1
    uint32_t afterSecondLast; // offset behind the one before it, when count >= 2
};

// The delimiters among data[from] .. data[to - 1].
LineEnds CountLineEnds(const unsigned char* data, uint32_t from, uint32_t to,
                       unsigned char delimiter);

// CountLineEnds with the count built for `build`, which the processor must
// offer; for tests that run each.
LineEnds CountLineEndsWith(VectorBuild build, const unsigned char* data, uint32_t from, uint32_t to,
                           unsigned char delimiter);

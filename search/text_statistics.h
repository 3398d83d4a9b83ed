// Statistics counting of one file's bytes: characters, real characters, real
// lines and line breaks. Pure; the counters wrap at 2^32.
#pragma once

#include <cstdint>

struct TextStatistics {
    uint32_t realChars;  // bytes from 0x21 to 0x7F
    uint32_t totalChars; // all bytes
    uint32_t realLines;  // lines holding at least one real character
    uint32_t lineBreaks; // CR bytes plus LF bytes
    // Carried from one piece of a file to the next: 1 when the line the
    // last piece ended in already counted as a real line. 0 at a file's start.
    uint32_t inRealLine;
};

// Adds the counts of `size` bytes to `counts`. A line starts at the start of
// the file and after every CR or LF (a file may be counted in pieces, in
// order, with the same `counts`), so a CR LF pair is two breaks and a last
// line without a break still counts when it holds a real character.
void CountTextStatistics(const unsigned char* data, uint32_t size, TextStatistics& counts);

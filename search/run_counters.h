// The counters of a search run (RunResults): partly counted by the walk,
// partly by the per-file search; read by the entry points, the progress and
// trovfind.
#pragma once

#include <cstdint>

// Seven counters of the last run, in this order; all wrap at 2^32. Reset at
// the start of every run.
struct RunCounterSet {
    uint32_t filesProcessed; // files handed to SearchFile (the walk counts them)
    uint32_t filesWithHits;  // files for which SearchFile added a hit record (the walk)
    uint32_t hitCount;       // match offsets gone through by the line passes
    uint32_t realChars;      // statistics: bytes from 0x21 to 0x7F
    uint32_t totalChars;     // statistics: all bytes of the counted files
    uint32_t realLines;      // statistics: lines holding a real character
    uint32_t lineBreaks;     // statistics: CR bytes plus LF bytes
};

// The state of a search run that the per-file search shares with the walk and
// the entry points: the counters of the run and the search parameters. All
// are process-wide statics, alive while the library is loaded; the walk sets
// the parameters before each scan and SearchFile only reads them.
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

extern RunCounterSet RunCounters;

enum { searchTextSize = 300 };      // bytes of searchText, NUL included
enum { maxMatchPositions = 10000 }; // match offsets kept per file

extern int statMode;                    // 1: count statistics; 0: search text
extern char searchText[searchTextSize]; // the text to find, stripped, NUL-terminated, not empty
extern int caseInsensitive;             // 1: ASCII letters match either case
extern int wholeWords;                  // 1: keep only matches between word boundaries
// Copies of the settings "RegEx" and "OnlyFile", made by the walk with the
// other parameters, so that the per-file search needs no settings of its own.
extern int useRegEx;      // 1: a text holding a non-word character is a pattern
extern int onlyFileNames; // 1: one record per file, without line text

// Whether the match of `length` bytes at `offset` of a file's `size` bytes may
// be kept: always when wholeWords is 0, else only when it lies wholly inside
// the data with no word character right before or after it.
int IsWholeWord(int32_t offset, int32_t length, const unsigned char* data, uint32_t size);

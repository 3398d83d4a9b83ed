// The search parameters that the walk sets from its RunQuery before each scan
// and the per-file search only reads: process-wide statics, alive while the
// library is loaded.
#pragma once

#include <cstdint>

#include "search/run_counters.h"

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

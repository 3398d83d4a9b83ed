// The five lines of a statistics run, as the host reads them through the
// result access, filled from the run's counters.
#pragma once

#include <cstddef>

#include "search/run_counters.h"

// The selectors of the five lines.
enum StatisticsSelector {
    selectFileCount = 10,   // "Number of files: %d"
    selectCharCount = 11,   // real characters and all characters
    selectCharAverage = 12, // real characters per file
    selectLineCount = 13,   // real lines and line breaks
    selectLineAverage = 14, // real lines per file
    firstStatisticsLine = selectFileCount,
    lastStatisticsLine = selectLineAverage,
};

// Room for the longest line with the longest numbers, NUL included.
enum { statisticsLineSize = 80 };

// Writes the line for `what` into the `size` bytes at `line` (cut to fit,
// always terminated; statisticsLineSize bytes hold any); the empty text for
// any other selector and for an average when no file was counted. Numbers
// are written by FormatCounts (host/count_text.h); the averages are unsigned
// quotients, rounded down. Allocates nothing, so that the host can read the
// lines when memory has run out.
void StatisticsLine(int what, const RunCounterSet& counters, char* line, size_t size);

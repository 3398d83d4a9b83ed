// The five lines of a statistics run, as the host reads them: selector 10 to
// 14 of the result access, filled from the run's counters.
#pragma once

#include <cstddef>

#include "search/search_params.h"

enum { firstStatisticsLine = 10, lastStatisticsLine = 14 };

// Room for the longest line with the longest numbers, NUL included.
enum { statisticsLineSize = 80 };

// Writes the line for `what` (10 to 14) into the `size` bytes at `line`
// (cut to fit, always terminated; statisticsLineSize bytes hold any); the empty text for any
// other selector and for an average (12, 14) when no file was counted. Every
// number is written as a signed decimal; the averages are unsigned quotients,
// rounded down. Allocates nothing, so that the host can read the lines when
// memory has run out.
void StatisticsLine(int what, const RunCounterSet& counters, char* line, size_t size);

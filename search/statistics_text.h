// The five lines of a statistics run, as the host reads them: selector 10 to
// 14 of the result access, filled from the run's counters.
#pragma once

#include "base/string.h"
#include "search/search_params.h"

enum { firstStatisticsLine = 10, lastStatisticsLine = 14 };

// The line for `what` (10 to 14); the empty text for any other selector and
// for an average (12, 14) when no file was counted. Every number is written
// as a signed decimal; the averages are unsigned quotients, rounded down.
String StatisticsLine(int what, const RunCounterSet& counters);

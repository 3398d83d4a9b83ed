#include "search/statistics_text.h"

#include <cstdio>

namespace {

// Every number as a signed decimal, as the platform's wsprintfA writes %d.
void Format(char* line, size_t size, const char* format, uint32_t first, uint32_t second = 0) {
    snprintf(line, size, format, static_cast<int>(static_cast<int32_t>(first)),
             static_cast<int>(static_cast<int32_t>(second)));
}

} // namespace

void StatisticsLine(int what, const RunCounterSet& counters, char* line, size_t size) {
    const uint32_t files = counters.filesProcessed;
    if (size > 0) line[0] = 0;
    switch (what) {
    case 10:
        return Format(line, size, "Number of files: %d", files);
    case 11:
        return Format(line, size, "Number of \"real\" characters: %d (for a total of %d)",
                      counters.realChars, counters.totalChars);
    case 12:
        if (files == 0) return;
        return Format(line, size, "(average is %d \"real\" characters per file)",
                      counters.realChars / files);
    case 13:
        return Format(line, size, "Number of \"real\" lines: %d (for a total of %d)",
                      counters.realLines, counters.lineBreaks);
    case 14:
        if (files == 0) return;
        return Format(line, size, "(average is %d \"real\" lines per file)",
                      counters.realLines / files);
    default:
        return;
    }
}

#include "host/statistics_lines.h"

#include "host/count_text.h"

void StatisticsLine(int what, const RunCounterSet& counters, char* line, size_t size) {
    const uint32_t files = counters.filesProcessed;
    if (size > 0) line[0] = 0;
    switch (what) {
    case selectFileCount:
        return FormatCounts(line, size, "Number of files: %d", files);
    case selectCharCount:
        return FormatCounts(line, size, "Number of \"real\" characters: %d (for a total of %d)",
                            counters.realChars, counters.totalChars);
    case selectCharAverage:
        if (files == 0) return;
        return FormatCounts(line, size, "(average is %d \"real\" characters per file)",
                            counters.realChars / files);
    case selectLineCount:
        return FormatCounts(line, size, "Number of \"real\" lines: %d (for a total of %d)",
                            counters.realLines, counters.lineBreaks);
    case selectLineAverage:
        if (files == 0) return;
        return FormatCounts(line, size, "(average is %d \"real\" lines per file)",
                            counters.realLines / files);
    default:
        return;
    }
}

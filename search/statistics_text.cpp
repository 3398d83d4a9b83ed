#include "search/statistics_text.h"

#include "base/text_utils.h"

namespace {

// Every number as a signed decimal, as the platform's wsprintfA writes %d.
String Format(const char* format, uint32_t first, uint32_t second = 0) {
    return FormatText(format, static_cast<int32_t>(first), static_cast<int32_t>(second));
}

} // namespace

String StatisticsLine(int what, const RunCounterSet& counters) {
    const uint32_t files = counters.filesProcessed;
    switch (what) {
    case 10:
        return Format("Number of files: %d", files);
    case 11:
        return Format("Number of \"real\" characters: %d (for a total of %d)", counters.realChars,
                      counters.totalChars);
    case 12:
        if (files == 0) return String();
        return Format("(average is %d \"real\" characters per file)", counters.realChars / files);
    case 13:
        return Format("Number of \"real\" lines: %d (for a total of %d)", counters.realLines,
                      counters.lineBreaks);
    case 14:
        if (files == 0) return String();
        return Format("(average is %d \"real\" lines per file)", counters.realLines / files);
    default:
        return String();
    }
}

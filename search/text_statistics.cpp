#include "search/text_statistics.h"

void CountTextStatistics(const unsigned char* data, uint32_t size, TextStatistics& counts) {
    uint32_t realChars = 0, realLines = 0, lineBreaks = 0;
    bool lineStart = !counts.inRealLine;
    for (uint32_t i = 0; i < size; ++i) {
        unsigned char c = data[i];
        if (c >= 0x21 && c <= 0x7F) {
            if (lineStart) {
                lineStart = false;
                ++realLines;
            }
            ++realChars;
        } else if (c == '\r' || c == '\n') {
            lineStart = true;
            ++lineBreaks;
        }
    }
    counts.totalChars += size;
    counts.realChars += realChars;
    counts.realLines += realLines;
    counts.lineBreaks += lineBreaks;
    counts.inRealLine = lineStart ? 0 : 1;
}

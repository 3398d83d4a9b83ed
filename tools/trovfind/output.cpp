#include "tools/trovfind/output.h"

#include "host/statistics_lines.h"
#include "search/hit_record.h"
#include "tools/trovfind/options.h"

std::string VisibleLineText(const GrepInfo& record) {
    return std::string(record._lineText.c_str());
}

std::string FormatHit(const GrepInfo& record, const std::string& name, int fileNamesOnly) {
    if (fileNamesOnly) return name + "\n";
    return name + "(" + std::to_string(record._lineNumber) + "): " + VisibleLineText(record) + "\n";
}

std::string FormatGrepHit(const GrepInfo& record, const std::string& name, int fileNamesOnly) {
    if (fileNamesOnly) return name + "\n";
    return name + ":" + std::to_string(record._lineNumber) + ":" + VisibleLineText(record) + "\n";
}

std::string EscapeField(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string FormatRecord(const GrepInfo& record, const std::string& name) {
    return EscapeField(name) + "\t" + std::to_string(record._lineNumber) + "\t" +
           EscapeField(VisibleLineText(record)) + "\n";
}

std::string FormatCounters(const RunCounterSet& counters) {
    return "#counters filesProcessed=" + std::to_string(counters.filesProcessed) +
           " filesWithHits=" + std::to_string(counters.filesWithHits) +
           " hitCount=" + std::to_string(counters.hitCount) + "\n";
}

std::string FormatStatistics(const RunCounterSet& counters) {
    std::string lines;
    for (int what = firstStatisticsLine; what <= lastStatisticsLine; ++what) {
        char line[statisticsLineSize];
        StatisticsLine(what, counters, line, sizeof line);
        lines += std::string(line) + "\n";
    }
    return lines;
}

std::string FormatSummary(const RunCounterSet& counters, const RunResults& results,
                          int statistics) {
    const uint32_t read = counters.filesProcessed - (results.filesNotRead - results.filesLeftOut);
    std::string summary =
        "trovfind: " + std::to_string(read) + (statistics ? " files counted" : " files searched");
    if (!statistics) {
        summary += ", " + std::to_string(counters.filesWithHits) + " with hits, " +
                   std::to_string(counters.hitCount) + " hits";
    }
    summary += ", " + std::to_string(results.filesNotRead) + " could not be read";
    if (results.foldersNotListed != 0) {
        summary +=
            ", folders that could not be listed: " + std::to_string(results.foldersNotListed);
    }
    return summary + "\n";
}

int ExitStatusOf(const TrovfindOptions& options, const RunCounterSet& counters,
                 uint32_t filesNotRead, int32_t hitRecords) {
    if (options.statistics) return counters.filesProcessed > filesNotRead ? 0 : 1;
    return hitRecords > 0 ? 0 : 1;
}

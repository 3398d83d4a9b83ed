#include "tools/trovfind/output.h"

#include <cstdio>
#include <cstring>

#include "host/statistics_lines.h"
#include "tools/trovfind/options.h"

namespace {

// Appends `text` with backslash, TAB, LF and CR written as \\ \t \n \r.
void AppendEscaped(std::string& out, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += text[i];
        }
    }
}

// The bytes of a line text that the host reads: up to its first zero byte.
uint32_t ReadLength(const char* text, uint32_t length) {
    const void* zero = memchr(text, 0, length);
    return zero ? static_cast<uint32_t>(static_cast<const char*>(zero) - text) : length;
}

// Appends name, separator, line number and separator: what goes before a
// line text.
void AppendLead(std::string& out, const std::string& name, const char* afterName,
                int32_t lineNumber, const char* afterNumber) {
    char digits[12];
    char* first = digits + sizeof digits;
    uint32_t rest =
        lineNumber < 0 ? 0u - static_cast<uint32_t>(lineNumber) : static_cast<uint32_t>(lineNumber);
    do {
        *--first = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (lineNumber < 0) *--first = '-';
    out += name;
    out += afterName;
    out.append(first, static_cast<size_t>(digits + sizeof digits - first));
    out += afterNumber;
}

} // namespace

void AppendHit(std::string& out, HitForm form, const std::string& name, int32_t lineNumber,
               const char* text, uint32_t length, int fileNamesOnly) {
    if (!fileNamesOnly) {
        const bool grep = form == grepHits;
        AppendLead(out, name, grep ? ":" : "(", lineNumber, grep ? ":" : "): ");
        out.append(text, ReadLength(text, length));
    } else {
        out += name;
    }
    out += '\n';
}

std::string EscapeField(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    AppendEscaped(escaped, text.data(), text.size());
    return escaped;
}

void AppendRecord(std::string& out, const std::string& escapedName, int32_t lineNumber,
                  const char* text, uint32_t length) {
    AppendLead(out, escapedName, "\t", lineNumber, "\t");
    AppendEscaped(out, text, ReadLength(text, length));
    out += '\n';
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

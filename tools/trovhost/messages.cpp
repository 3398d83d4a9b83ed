#include "tools/trovhost/messages.h"

#include "host/host_commands.h"    // the commands, results and selectors of the exports
#include "host/statistics_lines.h" // the selectors of the five statistics lines

MessageUpdate MessagesFor(int result, ResultReader& reader) {
    MessageUpdate update;
    if (result != resultHits && result != resultStatistics) return update;
    update.clear = reader.GetValue(0, selectKeepMessages) == 0;
    if (result == resultStatistics) {
        for (int what = firstStatisticsLine; what <= lastStatisticsLine; ++what) {
            std::string line = reader.GetString(0, what);
            if (!line.empty()) update.lines.push_back(line);
        }
        return update;
    }
    const int count = reader.GetValue(0, selectHitCount);
    update.lines.reserve(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i) {
        update.lines.push_back(reader.GetString(i, selectFileName) + "(" +
                               std::to_string(reader.GetValue(i, selectLineNumber)) +
                               "): " + reader.GetString(i, selectLineText));
    }
    return update;
}

std::string StatusText(ResultReader& reader) {
    const int count = reader.GetValue(0, selectHitCount);
    return std::to_string(count) + (count == 1 ? " record. " : " records. ") +
           reader.GetString(0, selectFilesNotRead);
}

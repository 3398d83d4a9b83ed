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

std::string StatusText(int result, ResultReader& reader) {
    if (result != resultHits && result != resultStatistics)
        return "No new results (cancelled, or nothing to search): the list is unchanged.";
    const int count = reader.GetValue(0, selectHitCount);
    std::string status = result == resultStatistics
                             ? "Statistics. "
                             : std::to_string(count) + (count == 1 ? " record. " : " records. ");
    if (reader.GetValue(0, selectStoppedEarly) != 0)
        status = "Stopped early, partial results: " + status;
    return status + reader.GetString(0, selectFilesNotRead);
}

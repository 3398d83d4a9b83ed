#include "tools/trovhost/messages.h"

namespace {

// The library's selectors, as its host documentation gives them.
enum {
    selectFileName = 4,
    selectLineText = 5,
    selectLineNumber = 6,
    selectCount = 7,
    firstStatisticsLine = 10,
    lastStatisticsLine = 14,
    selectKeepMessages = 15,
    selectFilesNotRead = 16,
};

enum { resultHits = 2, resultStatistics = 9 };

} // namespace

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
    const int count = reader.GetValue(0, selectCount);
    update.lines.reserve(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i) {
        update.lines.push_back(reader.GetString(i, selectFileName) + "(" +
                               std::to_string(reader.GetValue(i, selectLineNumber)) +
                               "): " + reader.GetString(i, selectLineText));
    }
    return update;
}

std::string StatusText(ResultReader& reader) {
    const int count = reader.GetValue(0, selectCount);
    return std::to_string(count) + (count == 1 ? " record. " : " records. ") +
           reader.GetString(0, selectFilesNotRead);
}

#include "host/host_commands.h"

#include <cstdio>

#include "base/text_utils.h"
#include "host/run_state.h"
#include "host/statistics_lines.h"
#include "search/run_counters.h"
#include "ui/search_settings.h"

namespace {

// The statistics line (or other formatted text) that GetResultString gave
// last: every such call overwrites it. Formatted in place, without
// allocating, so that reading works when memory has run out.
char resultBuffer[128];

const char emptyText[] = "";

// Sets RunState.runInProgress for the life of a run.
class RunGuard {
public:
    RunGuard() { RunState.runInProgress = 1; }
    ~RunGuard() { RunState.runInProgress = 0; }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
};

int SearchCommand(const char* text, int showDialog, const HostCalls& calls) {
    // The text ends at its first line end as well: no searched line holds
    // one, and the settings file would read the rest as lines of its own.
    size_t length = 0;
    while (text && length < maxSearchTextLength && text[length] && text[length] != '\r' &&
           text[length] != '\n')
        ++length;
    if (length > 0) {
        SearchSettings.hostText = String(text, 0, length);
        if (!showDialog) SearchSettings.textToFind = SearchSettings.hostText;
    } else if (showDialog) {
        SearchSettings.hostText.clear();
    } else {
        return resultNothing;
    }
    int cancelled;
    {
        RunGuard guard;
        cancelled = calls.runSearch(showDialog);
    }
    if (cancelled) return resultNothing;
    return SearchSettings.Stat ? resultStatistics : resultHits;
}

// "Files that could not be read: %d", and the folders whose listing broke
// off only when there were any.
const char* UnreadText() {
    const int length =
        snprintf(resultBuffer, sizeof resultBuffer, "Files that could not be read: %d",
                 static_cast<int>(runResults.filesNotRead));
    if (runResults.foldersNotListed != 0) {
        snprintf(resultBuffer + length, sizeof resultBuffer - length,
                 ", folders that could not be listed: %d",
                 static_cast<int>(runResults.foldersNotListed));
    }
    return resultBuffer;
}

} // namespace

int DoTrovikCommand(int command, const char* text, int showDialog, const HostCalls& calls) {
    if (RunState.runInProgress) return resultNothing;
    switch (command) {
    case commandSearch:
        return SearchCommand(text, showDialog, calls);
    case commandRelease:
        ReleaseHits();
        calls.releaseHelp(SearchSettings.HelpPath);
        return resultNothing;
    default:
        return resultNothing;
    }
}

int GetResultValue(int index, int what) {
    switch (what) {
    case selectLineNumber: {
        const GrepInfo* record = hitReader.At(index);
        return record ? record->_lineNumber : 0;
    }
    case selectHitCount:
        return runResults.hitList._count;
    case selectKeepMessages:
        return SearchSettings.KeepMess;
    case selectFilesNotRead:
        return static_cast<int>(runResults.filesNotRead);
    case selectStoppedEarly:
        return runResults.stoppedEarly;
    default:
        return 0;
    }
}

const char* GetResultString(int index, int what) {
    switch (what) {
    case selectFileName:
    case selectLineText: {
        const GrepInfo* record = hitReader.At(index);
        if (!record) return emptyText;
        return (what == selectFileName ? record->_fileName : record->_lineText).c_str();
    }
    case selectFilesNotRead:
        return UnreadText();
    default:
        if (what >= firstStatisticsLine && what <= lastStatisticsLine) {
            StatisticsLine(what, runResults.counters, resultBuffer, sizeof resultBuffer);
            return resultBuffer;
        }
        return emptyText;
    }
}

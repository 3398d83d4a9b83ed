#include "host/trovik_file_scanner.h"

#include "fs/walk_path.h"
#include "host/millisecond_clock.h"
#include "host/walk_progress.h"
#include "search/search_file.h"
#include "search/search_pulse.h"

uint32_t (*walkClock)() = MillisecondClock;

namespace {

// The processed-files count is shown again only after this time: about 20
// times a second at most, since it would otherwise be rewritten for every
// file. 0 when the library is loaded, never reset.
uint32_t nextProgressUpdate;

constexpr uint32_t progressInterval = 50; // milliseconds between two shown counts

// Whether `now` lies after nextProgressUpdate. The timer wraps every 49.7
// days: a deadline that seems more than one interval ahead has in fact been
// passed by a timer that wrapped, so it does not hold the count back.
bool ProgressUpdateDue(uint32_t now) {
    return now > nextProgressUpdate || nextProgressUpdate - now > progressInterval;
}

// The run's side of the per-file search's pulse: the progress is kept alive
// inside long files too, and a stop or cancel ends the file's search.
class ProgressPulse : public SearchPulse {
public:
    explicit ProgressPulse(WalkProgress& progress) : _progress(progress) {}
    int Pulse() override {
        _progress.KeepAlive();
        return _progress.StopRequest() != 0;
    }

private:
    WalkProgress& _progress;
};

} // namespace

TrovikFileScanner::~TrovikFileScanner() {}

int TrovikFileScanner::ShouldStop() {
    // Asked after every directory entry: the windows stay answered while a
    // large tree with few files that fit the masks is listed.
    _progress.KeepAlive();
    return _progress.StopRequest() != 0;
}

void CountFileProcessed(WalkProgress& progress, RunCounterSet& counters) {
    ++counters.filesProcessed;
    uint32_t now = walkClock();
    if (ProgressUpdateDue(now)) {
        progress.FileProcessed(counters.filesProcessed);
        nextProgressUpdate = now + progressInterval;
    }
}

void ReportFileSearched(WalkProgress& progress, const RunQuery& query, RunResults& results,
                        FileName& fileName, int records) {
    if (records < 0) {
        ++results.filesNotRead;
    } else if (records > 0) {
        ++results.counters.filesWithHits;
        FileName shown(HostPathOf(fileName, query.hostUtf8));
        progress.HitsChanged(shown, results.counters);
    }
    if (results.hitListFull) progress.HitListFull(results.hitList._count);
}

int TrovikFileScanner::OnFile(FileName& fileName, FindData* entry, int) {
    _progress.KeepAlive();
    // Empty files are neither counted nor searched. The entry holds the low
    // 32 bits of the size: a file of a whole multiple of 4 GiB is asked again.
    if (entry->_size == 0 && SizeOfWalkPath(fileName) == 0) return 1;
    CountFileProcessed(_progress, _results.counters);
    ProgressPulse pulse(_progress);
    int records = SearchFile(fileName, FileSearch{_query, _results, _workspace, &pulse});
    ReportFileSearched(_progress, _query, _results, fileName, records);
    return 1;
}

void TrovikFileScanner::OnDirectory(FileName& directory) {
    FileName shown(HostPathOf(directory, _query.hostUtf8));
    _progress.DirectoryEntered(shown);
}

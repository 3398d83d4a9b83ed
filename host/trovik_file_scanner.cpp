#include "host/trovik_file_scanner.h"

#include "fs/walk_path.h"
#include "host/memory_headroom.h"
#include "host/millisecond_clock.h"
#include "host/walk_progress.h"
#include "search/search_file.h"
#include "search/search_pulse.h"

uint32_t (*walkClock)() = MillisecondClock;

namespace {

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
    progress.FileProcessed(++counters.filesProcessed);
}

void ReportFileSearched(WalkProgress& progress, const RunQuery& query, RunResults& results,
                        FileName& fileName, int records) {
    if (records < 0) {
        // A file whose search failed for want of memory was not unreadable:
        // the run ends as a full hit list there.
        if (!MemoryHeadroom::RanOut()) ++results.filesNotRead;
    } else if (records > 0) {
        ++results.counters.filesWithHits;
        FileName shown(HostPathOf(fileName, query.hostUtf8));
        progress.HitsChanged(shown, results.counters);
    }
    // Memory may have run out outside the file's records too.
    if (MemoryHeadroom::RanOut()) results.hitListFull = 1;
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
    if (_results.hitListFull) _progress.HitListFull(_results.hitList._count);
    return 1;
}

void TrovikFileScanner::OnDirectory(FileName& directory) {
    FileName shown(HostPathOf(directory, _query.hostUtf8));
    _progress.DirectoryEntered(shown);
}

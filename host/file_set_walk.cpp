#include "host/file_set_walk.h"

#include "base/text_utils.h"
#include "host/entries_walk.h"
#include "host/file_set_entries.h"
#include "host/memory_headroom.h"
#include "host/millisecond_clock.h"
#include "host/paced_progress.h"
#include "host/walk_entries.h"
#include "host/walk_progress.h"

namespace {

// The query as the per-file search reads it: its text stripped of spaces and
// then tabs at both ends. Returns 0 when the text is blank: stripping can
// leave blanks behind (" \t \t" keeps its middle space), and a text of
// nothing but blanks is blank all the same.
int SearchedQuery(const RunQuery& query, RunQuery& searched) {
    searched = query;
    TrimBlanks(searched.text);
    return searched.text.find_first_not_of(" \t") != std::string::npos;
}

// A failure that ended the walk: after memory ran out it is the hit list
// that ran full, which keeps the records; any other failure cancels.
WalkStop EndOnFailure(const MemoryShortage& shortage, WalkProgress& progress, RunResults& results) {
    if (!shortage.RanOut()) {
        progress.ReportFailure();
        return stopCancel;
    }
    if (!results.hitListFull) { // else the user was told already
        results.hitListFull = 1;
        progress.HitListFull(results.RecordCount());
    }
    return progress.StopRequest();
}

} // namespace

WalkStop WalkFileSet(const RunQuery& query, WalkProgress& shown, RunResults& results) {
    PacedProgress progress(shown, walkClock);
    results.hitListFull = 0;
    results.filesNotRead = results.filesLeftOut = results.foldersNotListed = 0;
    MemoryHeadroom headroom;
    WalkStop stop = stopNone;
    try {
        FileSetEntries fileSet(query);
        bool any = false;
        const std::vector<WalkEntry> entries =
            ExistingEntries(fileSet, query, any, results.foldersNotListed);
        RunQuery searched;
        if (!any) {
            stop = progress.StopRequest();
        } else if (!progress.Open()) {
            // Without a window the user could not stop the run: a failure.
            progress.ReportFailure();
            stop = stopCancel;
        } else if (entries.empty() || SearchedQuery(query, searched)) {
            EntryScans scans(entries, fileSet, searched);
            stop = WalkEntries(entries, searched, scans, WalkThreads(query.threads),
                               headroom.Shortage(), progress, results);
        }
    } catch (...) {
        stop = EndOnFailure(headroom.Shortage(), progress, results);
    }
    results.stoppedEarly = stop == stopKeep;
    return stop;
}

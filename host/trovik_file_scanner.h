// TrovikFileScanner: the directory scanner of a search run. Every file it
// reports is searched (or counted) with SearchFile; progress goes to the
// run's WalkProgress, whose stop request ends the scan.
#pragma once

#include <cstdint>

#include "fs/file_scanner.h"
#include "search/file_search.h"

class WalkProgress;

// The time source of the progress's rate limits (the processed-files count
// here, the other lines and the message dispatch in the progress window);
// the platform's millisecond timer unless a test puts its own clock here.
extern uint32_t (*walkClock)();

// The walk's part in the search of one file, shared by the one-thread walk
// and the threaded one, which call them in walk order on the walking thread.
// Counts a file about to be searched and tells the progress (which the walk
// paces: host/paced_progress.h).
void CountFileProcessed(WalkProgress& progress, RunCounterSet& counters);
// Reports the search of `fileName` that added `records` records to
// `results` (-1: the file could not be read, or memory ran out), and marks
// the hit list full when memory ran out; the caller tells the user.
void ReportFileSearched(WalkProgress& progress, const RunQuery& query, RunResults& results,
                        FileName& fileName, int records);

class TrovikFileScanner : public FileScanner {
public:
    // Every file is searched for `query` (its text stripped, not empty) in
    // `workspace`, into `results`.
    TrovikFileScanner(const FileName& directory, const String* mask, int collect, int recursive,
                      WalkProgress& progress, const RunQuery& query, RunResults& results,
                      SearchWorkspace& workspace)
        : FileScanner(directory, mask, collect, recursive), _progress(progress), _query(query),
          _results(results), _workspace(workspace) {}
    ~TrovikFileScanner() override;

    // Lets the progress keep alive, then nonzero when it asks to stop or cancel.
    int ShouldStop() override;
    // Skips an empty file; otherwise counts it, searches it and reports new hits. A file that
    // cannot be read is counted in the results' filesNotRead and skipped; when memory for records
    // ran out the progress hears of it (and stops the walk). Always returns 1.
    int OnFile(FileName& fileName, FindData* entry, int index) override;
    void OnDirectory(FileName& directory) override;

private:
    WalkProgress& _progress;
    const RunQuery& _query;
    RunResults& _results;
    SearchWorkspace& _workspace;
};

// WalkProgress: what the walk of a search run tells the one who watches it,
// and where it reads whether to stop. The DLL's progress window and the
// command-line tool each implement it. Every call comes on the walking thread.
#pragma once

#include <cstdint>

#include "search/search_pulse.h" // dispatchPeriod, refreshPeriod

class FileName;
struct RunCounterSet;

// What the user (or a failure) asked of the walk, as StopRequest answers.
enum WalkStop {
    stopNone = 0,   // go on
    stopCancel = 1, // Cancel or a failure: the run's results are not to be shown
    stopKeep = 2,   // Stop: end the walk, keep its results
};

class WalkProgress {
public:
    virtual ~WalkProgress() {}

    // The walk has taken its first entry and is about to search it. Return 0
    // when progress cannot be shown: the walk then reports a failure
    // (ReportFailure) and ends at once as cancelled, with nothing searched.
    virtual int Open() = 0;

    // After every directory entry the scanner lists, at the start of every
    // file it reports and, while a file is searched, at least every 64 KiB: a
    // user interface dispatches its waiting messages here, so that a stop
    // asked for meanwhile is seen. Called that often, it must be cheap: an
    // implementation that dispatches does so at most every dispatchPeriod.
    virtual void KeepAlive() = 0;

    // The scanner enters `directory` (also one that turns out to be missing).
    virtual void DirectoryEntered(const FileName& directory) = 0;

    // The count of processed files is now `filesProcessed`. The walk calls
    // this at most once per refreshPeriod, so the shown count may lag
    // behind by the files of the last refreshPeriod.
    virtual void FileProcessed(uint32_t filesProcessed) = 0;

    // `file` added hit records: `counters` hold the run's new hit count and
    // count of files with hits.
    virtual void HitsChanged(const FileName& file, const RunCounterSet& counters) = 0;

    // Read after every directory entry and file-set entry.
    virtual WalkStop StopRequest() = 0;

    // Memory for hit records ran out after `records` records, all of them
    // kept: the walk is to stop as by Stop (stopKeep from now on), and
    // the user is told once. No memory is to be had meanwhile.
    virtual void HitListFull(int32_t records) = 0;

    // A failure that the per-file search does not catch (such as exhausted
    // memory in the scanner) ended the walk; it counts as a cancel.
    virtual void ReportFailure() = 0;
};

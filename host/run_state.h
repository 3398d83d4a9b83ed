// The state of trovik.dll's search runs, kept together: what the last run
// left for the host to read, and the library's one-time set-up. All of it is
// process-wide, alive while the library is loaded, and touched on the host's
// thread only. A run's inputs are a RunQuery (search/run_query.h) built from
// SearchSettings for each run; its results are runResults, whose hit records
// the host reads through hitReader.
#pragma once

#include <cstdint>

#include "fs/file_name.h" // ModuleHandle
#include "host/hit_reader.h"
#include "search/run_results.h"

struct RunStateRecord {
    int firstRunDone = 0;        // the first run since loading has begun: it showed the dialog
    int uiReady = 0;             // the one-time user-interface set-up is done
    ModuleHandle moduleHandle{}; // the library's own module (its templates), from its start-up
    int runInProgress = 0;       // a search command runs; calls it dispatches are refused
};

extern RunStateRecord RunState;

// What the last run produced: the one instance the entry points read.
extern RunResults runResults;

// The hit list as the host reads it, record by record.
extern HitReader hitReader;

// Starts the results of a new run: the counters and the counts of runResults
// go to 0, and the hit records are deleted.
void ClearRunResults();
// Deletes the hit records (and forgets the read position); the counters stay.
void ReleaseHits();

// The state of trovik.dll's search runs, kept together: what a run decides,
// what it leaves for the host to read, and the library's one-time set-up.
// All of it is process-wide, alive while the library is loaded, and touched
// on the host's thread only. What the search itself reads (the text, the
// switches, the counters) lives beside SearchFile (search/search_params.h);
// the hit records are hitList (search/grep_info.h), read through hitReader.
#pragma once

#include <cstdint>

#include "fs/file_name.h" // ModuleHandle
#include "host/hit_reader.h"

// What the progress window's buttons (or a caught failure) asked of the
// walk. The walk reads it after every directory entry and file-set entry.
enum StopRequest {
    stopNone = 0,   // go on
    stopCancel = 1, // Cancel or a failure: nothing is to be shown
    stopKeep = 2,   // Stop: end the walk, keep its results
};

struct RunStateRecord {
    int stopRequest = stopNone;  // set to stopNone at the start of every walk
    int firstRunDone = 0;        // the first run since loading has begun: it showed the dialog
    int uiReady = 0;             // the one-time user-interface set-up is done
    ModuleHandle moduleHandle{}; // the library's own module (its templates), from its start-up
    int runInProgress = 0;       // a search command runs; calls it dispatches are refused
};

extern RunStateRecord RunState;

// Files that could not be opened, mapped or read during the run (locked by
// another program, no access, vanished, too large, cut short while read).
// They are skipped and the scan goes on. Reset at the start of every walk.
extern uint32_t filesNotRead;
// Directories whose listing failed at its start or broke off part-way: their
// remaining entries were skipped (how many files went unread is not known).
// Reset at the start of every walk.
extern uint32_t foldersNotListed;

// The hit list as the host reads it, record by record.
extern HitReader hitReader;

// Starts the results of a new run: RunCounters and the counts of files and
// folders that could not be read go to 0, and the hit records are deleted.
void ClearRunResults();
// Deletes the hit records (and forgets the read position); the counters stay.
void ReleaseHits();

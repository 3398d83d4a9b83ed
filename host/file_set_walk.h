// The walk of a search run, the first step below the run: the entries of the
// query's file set are read and looked up (host/walk_entries.h), the
// progress opened, and the existing entries walked (host/entries_walk.h),
// each matching file searched or counted (search/search_file.h) and its
// results taken in walk order (host/walk_items.h). The caller prepares the
// results (counters reset, hitList emptied) and shows them.
#pragma once

#include "host/walk_progress.h"
#include "search/run_query.h"
#include "search/run_results.h"

// Walks the file set of `query` and writes into `results` the records and
// counters of the search and the files and folders it could not read (those
// counts and hitListFull reset first). The text to find is stripped of spaces
// and then tabs at both ends, and when nothing but blanks is left the walk
// ends before the first search. An entry that does not exist is skipped; a
// directory is scanned with every mask (recursively when the query says so),
// a file is searched whatever the masks say. The walk ends after an entry
// when the progress asks to stop; a progress that cannot open, or a failure
// the per-file search does not catch, is reported to the progress and ends
// the walk as a cancel. The progress hears the count of processed files at
// most every refreshPeriod of walkClock (host/millisecond_clock.h).
// The entries are in the host's form (fs/walk_path.h); below them the walk
// lists and opens files by their real names, at any path length, and enters
// no link to a folder unless the query's followLinks says so.
// Returns stopCancel when the walk was cancelled (or failed), stopKeep when
// it was stopped (results.stoppedEarly is then set) and stopNone otherwise.
WalkStop WalkFileSet(const RunQuery& query, WalkProgress& progress, RunResults& results);

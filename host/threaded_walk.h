// The walk of a search run on several threads: one lists the entries'
// directories ahead, a pool of workers searches the files, and the walking
// thread (the host's) keeps the progress alive and takes the files' results
// in walk order (host/ordered_pool.h). The records, counters, files not read
// and progress texts are those of the one-thread walk; a stop keeps the
// results of a prefix of the walk's files, each of them searched whole.
#pragma once

#include <vector>

#include "host/walk_entries.h"
#include "host/walk_progress.h"
#include "search/run_query.h"
#include "search/run_results.h"

// The worker threads for a run asked for `threads` (0: one per processor, at
// most 16).
unsigned WalkThreads(unsigned threads);

// Scans `entries`, each set up by `scans`, with `threads` workers (at least
// 2) for `searched` (its text stripped, not blank) into `results`, whose counts of files and
// folders not read are already reset. The progress is open. Every thread
// has ended when it returns. Returns what WalkFileSet returns.
WalkStop WalkEntriesThreaded(const std::vector<WalkEntry>& entries, const RunQuery& searched,
                             EntryScans& scans, unsigned threads, WalkProgress& progress,
                             RunResults& results);

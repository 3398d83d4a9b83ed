// The walk of a run's existing entries, the one mechanism of every run: the
// entries are listed in walk order into items (host/walk_items.h), the files
// among them searched, and the items taken in walk order on the walking
// thread (the host's). With one thread the listing, the search and the
// taking all run inline on the walking thread. With more, the walking thread
// lists the entries and keeps the progress alive while it takes the results
// in walk order; a pool of workers searches the files, and so does the
// walking thread whenever it would wait (host/ordered_pool.h): the records,
// counters, files not read and progress texts are those of the one-thread
// walk, and a stop keeps the results of a prefix of the walk's files, each
// of them searched whole.
#pragma once

#include <vector>

#include "base/memory_shortage.h"
#include "host/walk_entries.h"
#include "host/walk_progress.h"
#include "search/run_query.h"
#include "search/run_results.h"

// The threads for a run asked for `threads` (0: one per processor, at most
// 16); 1 when the memory manager's heap has no lock (InitNewHeap(0)).
unsigned WalkThreads(unsigned threads);

// Scans `entries`, each set up by `scans`, on `threads` searching threads,
// the walking thread among them (1: inline), for `searched` (its text
// stripped, not blank), the run's `shortage` read by every file's search and
// by the walk, into `results`, whose counts of files and folders not read
// are already reset. The progress is open. Every thread has ended when it
// returns; a failure that the per-file search does not catch passes through
// (the walk reports it). Returns what WalkFileSet returns.
WalkStop WalkEntries(const std::vector<WalkEntry>& entries, const RunQuery& searched,
                     EntryScans& scans, unsigned threads, const MemoryShortage& shortage,
                     WalkProgress& progress, RunResults& results);

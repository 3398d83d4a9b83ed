// RunResults: everything one search run produces: its counters, its hit
// records and the files and folders it could not read. The library keeps one
// instance, which the entry points read (host/run_state.h); trovfind and the
// tests keep their own. The walk writes the counts of what it could not read
// and the per-file search the records, its counters and hitListFull.
#pragma once

#include <cstdint>

#include "search/hit_record.h"
#include "search/record_drain.h"
#include "search/run_counters.h"

struct RunResults {
    RunCounterSet counters = {}; // reset by the caller at the start of a run
    List<GrepInfo> hitList;      // owning; the records in the order found
    // Null: the records stay in hitList. Else the walk hands each file's
    // records there once it has taken them (search/record_drain.h), and
    // counts them in recordsDrained.
    RecordDrain* drain = nullptr;
    int32_t recordsDrained = 0;
    // Set when memory for a further record ran out: the records made until
    // then are in hitList, and the run is to stop as Stop does. Cleared at the
    // start of every walk.
    int hitListFull = 0;
    // Files that could not be opened, mapped or read (locked by another
    // program, no access, vanished, too large, cut short while read). They are
    // skipped and the scan goes on. Reset at the start of every walk.
    uint32_t filesNotRead = 0;
    // Of filesNotRead, the files that never reached the per-file search (and so
    // are not among the files processed): their path or name was too long.
    uint32_t filesLeftOut = 0;
    // Directories whose listing failed at its start or broke off part-way (or
    // that closed a link loop, or whose path was too long): their remaining
    // entries were skipped; how many files went unread is not known.
    uint32_t foldersNotListed = 0;
    // Set when the walk ended early, by Stop or because memory for records
    // ran out: the records are those of the files searched until then. Set
    // at the end of every walk.
    int stoppedEarly = 0;

    // The records the run made, kept or drained.
    int32_t RecordCount() const { return hitList._count + recordsDrained; }
};

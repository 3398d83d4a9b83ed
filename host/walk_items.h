// The items of a walk in walk order (a folder entered, a file searched, the
// end of an entry with what its listing could not read) and what taking one
// does: the run's results grow by the file's and the progress hears of it.
// The walking thread takes every item, in walk order, whichever thread
// searched its file (host/entries_walk.h), so that the records, counters and
// progress texts are those of a one-thread run.
#pragma once

#include <cstdint>
#include <memory>

#include "base/memory_shortage.h"
#include "fs/file_name.h"
#include "host/walk_progress.h"
#include "search/run_query.h"
#include "search/run_results.h"

struct WalkItem {
    enum Kind { directory, file, entryEnd };
    WalkItem(Kind itemKind, const FileName& itemPath) : kind(itemKind), path(itemPath) {}

    Kind kind;
    FileName path;                 // directory: the host's form; file: walk path
    uint32_t foldersNotListed = 0; // entryEnd
    uint32_t filesLeftOut = 0;     // entryEnd
    // file: its size was not listed (fileAttributeSizeUnlisted), so that it
    // may turn out empty when it is searched.
    bool sizeUnlisted = false;
    // file: it turned out empty and is left out, neither counted nor taken,
    // as the walk leaves out the empty files listed with their size.
    bool leftOutEmpty = false;
    int records = 0;          // file: what SearchFile returned
    RunResults found;         // file: its records and counters
    PreparedRecords prepared; // file: its lines, when the run's drain prepares them
};

using Item = std::unique_ptr<WalkItem>;

struct FileSearch;

// Searches the file of `item` as SearchFile does and returns what it
// returns; a file whose size was not listed and that could not be searched
// because it is empty gets leftOutEmpty (and 0) instead.
int SearchWalkFile(WalkItem& item, const FileSearch& search);

// Counts a file about to be searched (or whose results are taken) and tells
// the progress, which the walk paces (host/paced_progress.h).
void CountFileProcessed(WalkProgress& progress, RunCounterSet& counters);

// Reports the search of `fileName` that added `records` records to
// `results` (-1: the file could not be read, or, after the run's `shortage`,
// memory ran out), and a hit list that ran full (results.hitListFull; the
// caller tells the progress). With a drain, the file's lines that it
// prepared (`lines`) go to it.
void ReportFileSearched(WalkProgress& progress, const RunQuery& query, RunResults& results,
                        const MemoryShortage& shortage, FileName& fileName, int records,
                        PreparedRecords& lines);

// Takes `item`, whose file was searched into item.found: its records move
// into `results`.
void TakeItem(WalkItem& item, const RunQuery& searched, WalkProgress& progress, RunResults& results,
              const MemoryShortage& shortage);

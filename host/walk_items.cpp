#include "host/walk_items.h"

#include "fs/walk_path.h"
#include "search/search_file.h"

int SearchWalkFile(WalkItem& item, const FileSearch& search) {
    const int records = SearchFile(item.path, search);
    // An empty file is refused by the search: its size is asked only then,
    // which costs nothing on the files that could be searched. A file whose
    // size cannot be read either was not read.
    if (records < 0 && item.sizeUnlisted && SizeOfWalkPath(item.path) == 0) {
        item.leftOutEmpty = true;
        return 0;
    }
    return records;
}

void CountFileProcessed(WalkProgress& progress, RunCounterSet& counters) {
    progress.FileProcessed(++counters.filesProcessed);
}

void ReportFileSearched(WalkProgress& progress, const RunQuery& query, RunResults& results,
                        const MemoryShortage& shortage, FileName& fileName, int records,
                        PreparedRecords& lines) {
    if (records < 0) {
        // A file whose search failed for want of memory was not unreadable:
        // the run ends as a full hit list there.
        if (!shortage.RanOut()) ++results.filesNotRead;
    } else if (records > 0) {
        ++results.counters.filesWithHits;
        FileName hostPath;
        const FileName& shown = HostPathIsWalkPath(fileName, query.hostUtf8)
                                    ? fileName
                                    : (hostPath = HostPathOf(fileName, query.hostUtf8));
        progress.HitsChanged(shown, results.counters);
        if (results.drain != nullptr) {
            results.recordsDrained += lines.count;
            results.drain->TakePrepared(lines);
        }
    }
    // Memory may have run out outside the file's records too.
    if (shortage.RanOut()) results.hitListFull = 1;
}

void TakeItem(WalkItem& item, const RunQuery& searched, WalkProgress& progress, RunResults& results,
              const MemoryShortage& shortage) {
    switch (item.kind) {
    case WalkItem::directory:
        progress.DirectoryEntered(item.path);
        return;
    case WalkItem::entryEnd:
        results.foldersNotListed += item.foldersNotListed;
        results.filesNotRead += item.filesLeftOut;
        results.filesLeftOut += item.filesLeftOut;
        return;
    case WalkItem::file:
        if (item.leftOutEmpty) return;
        break;
    }
    RunCounterSet& counters = results.counters;
    CountFileProcessed(progress, counters);
    const RunCounterSet& found = item.found.counters;
    counters.hitCount += found.hitCount;
    counters.realChars += found.realChars;
    counters.totalChars += found.totalChars;
    counters.realLines += found.realLines;
    counters.lineBreaks += found.lineBreaks;
    while (GrepInfo* record = item.found.hitList.GetHead()) {
        item.found.hitList.Remove(record);
        results.hitList.AddTail(record);
    }
    if (item.found.hitListFull) results.hitListFull = 1;
    ReportFileSearched(progress, searched, results, shortage, item.path, item.records,
                       item.prepared);
}

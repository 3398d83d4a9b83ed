#include "host/file_set_walk.h"

#include "base/text_utils.h"
#include "fs/entry_path.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_name.h"
#include "fs/walk_path.h"
#include "host/file_set_entries.h"
#include "host/memory_headroom.h"
#include "host/paced_progress.h"
#include "host/threaded_walk.h"
#include "host/trovik_file_scanner.h"
#include "host/walk_progress.h"

namespace {

// The query as the per-file search reads it: its text stripped of spaces and
// then tabs at both ends. Returns 0 when the text is blank: stripping can
// leave blanks behind (" \t \t" keeps its middle space), and a text of
// nothing but blanks is blank all the same.
int SearchedQuery(const RunQuery& query, RunQuery& searched) {
    searched = query;
    TrimBlanks(searched.text);
    return searched.text.find_first_not_of(" \t") != std::string::npos;
}

// Scans one existing entry. Returns 0 when the text to find is blank.
int ScanEntry(const FileName& name, int32_t attributes, int recursive, const RunQuery& query,
              const StringList& masks, WalkProgress& progress, RunResults& results,
              SearchWorkspace& workspace) {
    const bool isDirectory = (attributes & attributeDirectory) != 0;
    RunQuery searched;
    if (!SearchedQuery(query, searched)) return 0;
    TrovikFileScanner scanner(name, nullptr, 0, isDirectory ? recursive : 0, progress, searched,
                              results, workspace);
    scanner.FollowLinks(query.followLinks);
    if (isDirectory) {
        for (StringItem<ListElement>* mask = masks.GetHead(); mask;
             mask = StringList::GetNext(mask)) {
            scanner.AddMask(*mask);
        }
    }
    // Without a mask the scanner looks the one named file up directly.
    scanner.Scan();
    // A directory whose listing broke off counts once: how many of its files
    // went unread is not known. So does a folder that closes a link loop.
    results.foldersNotListed += scanner._unreadListings + scanner._foldersLeftOut;
    results.filesNotRead += scanner._filesLeftOut;
    results.filesLeftOut += scanner._filesLeftOut;
    return 1;
}

// The walk on `threads` threads: the existing entries are looked up first,
// then listed and searched as the one-thread walk would.
WalkStop WalkFileSetThreaded(const RunQuery& query, unsigned threads, WalkProgress& progress,
                             RunResults& results) {
    FileSetEntries entries(query);
    std::vector<WalkEntry> existing;
    String entry;
    int recursive = 0;
    bool any = false;
    while (entries.NextFileSetEntry(entry, recursive)) {
        any = true;
        String walkPath;
        if (!EntryWalkPath(entry, query.hostUtf8, walkPath)) {
            ++results.foldersNotListed;
            continue;
        }
        FileName name(walkPath);
        int32_t attributes = AttributesOfWalkPath(name);
        if (attributes != -1) {
            existing.push_back(WalkEntry{name, (attributes & attributeDirectory) != 0, recursive});
        }
    }
    if (!any) return progress.StopRequest();
    if (!progress.Open()) {
        progress.ReportFailure();
        return stopCancel;
    }
    RunQuery searched;
    if (!existing.empty() && !SearchedQuery(query, searched)) return stopNone;
    return WalkEntriesThreaded(existing, searched, entries.Masks(), threads, progress, results);
}

// A failure that ended the walk: after memory ran out it is the hit list
// that ran full, which keeps the records; any other failure cancels.
WalkStop EndOnFailure(WalkProgress& progress, RunResults& results) {
    if (!MemoryHeadroom::RanOut()) {
        progress.ReportFailure();
        return stopCancel;
    }
    if (!results.hitListFull) { // else the user was told already
        results.hitListFull = 1;
        progress.HitListFull(results.hitList._count);
    }
    return progress.StopRequest();
}

// The walk, with the progress paced.
WalkStop WalkPaced(const RunQuery& query, WalkProgress& progress, RunResults& results) {
    results.hitListFull = 0;
    results.filesNotRead = results.filesLeftOut = results.foldersNotListed = 0;
    bool opened = false;
    MemoryHeadroom headroom;
    const unsigned threads = WalkThreads(query.threads);
    if (threads > 1) {
        try {
            return WalkFileSetThreaded(query, threads, progress, results);
        } catch (...) {
            return EndOnFailure(progress, results);
        }
    }
    try {
        SearchWorkspace workspace;
        FileSetEntries entries(query);
        String entry;
        int recursive = 0;
        while (entries.NextFileSetEntry(entry, recursive)) {
            if (!opened) {
                // Without a window the user could not stop the run: a failure.
                if (!progress.Open()) {
                    progress.ReportFailure();
                    return stopCancel;
                }
                opened = true;
            }
            String walkPath;
            if (!EntryWalkPath(entry, query.hostUtf8, walkPath)) {
                ++results.foldersNotListed;
                continue;
            }
            FileName name(walkPath);
            int32_t attributes = AttributesOfWalkPath(name);
            if (attributes != -1 && !ScanEntry(name, attributes, recursive, query, entries.Masks(),
                                               progress, results, workspace)) {
                return stopNone;
            }
            if (progress.StopRequest() != 0) break;
        }
    } catch (...) {
        return EndOnFailure(progress, results);
    }
    return progress.StopRequest();
}

} // namespace

WalkStop WalkFileSet(const RunQuery& query, WalkProgress& progress, RunResults& results) {
    PacedProgress paced(progress, walkClock);
    return WalkPaced(query, paced, results);
}

// The entries of a run as its walk scans them: those of the file set that
// exist, in the walk's form, and the scanner of each set up alike whichever
// way the run walks (on one thread or several, host/entries_walk.h): a
// folder with the run's file types, a file with
// none (it is searched whatever they say), links entered as the query says,
// and one record of visits over all the entries, so that entries that overlap
// reach each folder and file once, where the walk first reaches it.
#pragma once

#include <vector>

#include "fs/file_name.h"
#include "fs/walk_visits.h"
#include "search/run_query.h"

class FileScanner;
class FileSetEntries;

// An entry of the file set that exists, as the walk scans it.
struct WalkEntry {
    FileName name; // walk path
    bool isDirectory;
    int recursive;
};

// Reads every entry of `entries` and keeps those that exist, in canonical
// form (fs/entry_path.h) and in order. Sets `any` to whether the file set had
// an entry at all; an entry too long to be a path counts in `tooLong`.
std::vector<WalkEntry> ExistingEntries(FileSetEntries& entries, const RunQuery& query, bool& any,
                                       uint32_t& tooLong);

class EntryScans {
public:
    // The scans of `entries`, whose masks (in the walk's form) are those of
    // `fileSet`; both must outlive this object.
    EntryScans(const std::vector<WalkEntry>& entries, const FileSetEntries& fileSet,
               const RunQuery& query);
    EntryScans(const EntryScans&) = delete;
    EntryScans& operator=(const EntryScans&) = delete;

    // Sets up `scanner`, made over `entry` with no mask, for its scan.
    void Prepare(FileScanner& scanner, const WalkEntry& entry);

private:
    const FileSetEntries& _fileSet;
    const int _followLinks;
    WalkVisits _visits;
};

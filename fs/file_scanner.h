// FileScanner walks one or more directories, optionally with all their
// subdirectories, and picks out the files whose names fit its file types: the
// masks it was given, exclusions among them (fs/file_types.h). It does nothing
// to the files itself: it hands each one to virtual operations that a subclass
// overrides, asks the subclass after every directory entry whether to stop,
// and can instead keep the files for after the walk (collecting mode) or
// append their names to a caller's list (ScanInto).
//
// Walk order: a directory's own files (in the platform's enumeration order)
// come before anything in its subdirectories, which are walked depth-first;
// nothing is sorted. Subdirectories whose name begins with '.' are not
// entered unless a folder mask of the file types names them (`.github\`), nor
// those that a folder exclusion leaves out (`!node_modules\`, at any depth);
// a directory the owner names is walked all the same. Hidden and system files
// are never seen, hidden and system directories are
// (fs/directory_enumeration.h). A file that fits several masks is taken once.
//
// Links: a subdirectory that is a link (a reparse point tagged as a junction
// or a symbolic link, as a Unix symlink under Wine is) is not entered; other
// reparse points (placeholders of cloud stores, deduplicated folders) are
// walked as folders. So a link to an ancestor or to a drive's root cannot
// take the walk around again or out of the tree. A directory the owner names
// is walked even when it is a link, and a file that is a link is a file. With
// FollowLinks the walk enters links too, and every real folder (by its volume
// and file index) at most once: a link back to a folder the walk is inside is
// a loop, counted in _foldersLeftOut; one to a folder walked elsewhere is
// passed over. The same holds over the several entries of a walk that shares
// its visits (ShareVisits, fs/walk_visits.h): a folder or a file named on its
// own that an earlier entry reached is passed over.
//
// Paths: the walk's own (fs/walk_path.h): UTF-8 and of any length up to
// maxWalkPathBytes. The directories and masks given are in that form, and so
// are the names the operations receive. An entry whose path would be longer,
// or whose name does not fit FindData, is counted in _filesLeftOut or
// _foldersLeftOut.
//
// Failures: the scanner raises nothing of its own; a missing or unreadable
// directory still gets OnDirectory and then yields nothing, and a listing
// that breaks off part-way ends that directory's pass. Listings that failed
// (rather than ended) are counted in _unreadListings. Exceptions raised by the virtual operations
// (or exhausted memory) pass through Scan; the scanner stays consistent and can be Reset.
// Everything runs on the calling thread.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/list.h"
#include "base/string.h"
#include "base/string_item.h"
#include "fs/file_name.h"
#include "fs/file_types.h"
#include "fs/find_data.h"
#include "fs/walk_visits.h"

// A file kept by a collecting scan: its full name and its directory entry.
// A list of them is never sorted or copied: Compare returns -1 for any pair
// and Clone yields null.
class FoundFile : public ListElement {
public:
    FoundFile(const FileName& fileName, const FindData& entry)
        : _fileName(fileName), _findData(entry) {}
    ~FoundFile() override;

    FileName _fileName; // directory, backslash and entry name
    FindData _findData; // the entry as the enumeration gave it
};

class FileScanner {
public:
    // Scans `directory` with `mask` (null: none yet; add masks with AddMask).
    // `collect` nonzero keeps the files for after the walk; `recursive`
    // nonzero descends into subdirectories.
    FileScanner(const FileName& directory, const String* mask, int collect, int recursive);
    // The same over a copy of a whole list of directories.
    FileScanner(const List<FileName>& directories, const String* mask, int collect, int recursive);
    FileScanner(const FileScanner&) = delete;
    FileScanner& operator=(const FileScanner&) = delete;

    // Destroys the three lists with their elements.
    virtual ~FileScanner();

    // ---- The subclass's part, in slot order. The defaults do nothing.

    // Asked after every directory entry of the first pass (file or directory,
    // fitting or not) and before every entry of the second pass. Nonzero ends
    // the whole scan: the tree being walked unwinds without reporting another
    // file and the remaining directories are not walked; EndScan still runs
    // and, in collecting mode, the files kept so far are still reported.
    // Default: 0.
    virtual int ShouldStop();

    // Reports one accepted file: its full name, its directory entry and its
    // index (0, 1, ... in reporting order within one Scan). Return nonzero to
    // go on. 0 ends the whole scan at once: during the walk no further
    // OnFile, OnDirectory or ShouldStop call follows, only EndScan (and, in
    // collecting mode, the reporting of kept files stops). Not called by
    // ScanInto. Default: 1.
    virtual int OnFile(FileName& fileName, FindData* entry, int index);

    // Asked for every file that fits a mask, before it is counted: 0 skips the
    // file (not counted, not reported, its remaining masks not tried).
    // Default: 1.
    virtual int AcceptFile(FileName& fileName, FindData* entry);

    // Told of every directory the walk enters, with its name as given (no
    // closing backslash added), before its entries are read; also of a
    // directory that turns out to be missing. Default: nothing.
    virtual void OnDirectory(FileName& directory);

    // Called once at the start of every Scan, and once after the walk, even a
    // stopped one, before collected files are reported. Default: nothing.
    virtual void BeginScan();
    virtual void EndScan();

    // ---- Setting up and running

    // Starts over with one directory (or a copy of `directories`): the kept
    // files, the masks and the counters are cleared, the flags set, and
    // `mask` added when it is not null.
    void Reset(const FileName& directory, const String* mask, int collect, int recursive);
    void Reset(const List<FileName>& directories, const String* mask, int collect, int recursive);

    // Appends one mask, as given (fs/file_types.h): it is never split at ';'
    // or elsewhere.
    void AddMask(const String& mask);

    // Walks every directory in list order. With masks, each entry of the
    // directory list is a directory scanned with them. Without masks, each
    // entry is a directory with its own masks, "D:\src\*.c|*.h": the text
    // before the last backslash of the first '|' item is the directory, the
    // rest of that item and every further item are the masks; an entry whose
    // first name part is empty is skipped, and a single item without '*' or
    // '?' names one file, looked up directly (a short name finds its file)
    // and taken whatever the masks say. Counters and kept files add up over
    // several scans until Reset.
    void Scan();

    // Scan that appends the full name of every accepted file to `names`
    // instead of calling OnFile or keeping the file.
    void ScanInto(List<FileName>& names);

    // The kept files of collecting mode, in the order found: the first one's
    // full name, then the next one's on each call; empty at the end.
    String GetFirstFound();
    String GetNextFound();

    // ---- Read by the owner after a scan.
    uint32_t _fileCount; // number of accepted files
    // Listings of a directory that failed at their start or part-way (a find
    // handle that died, a medium gone): the directory's remaining entries
    // were skipped and the walk went on.
    uint32_t _unreadListings;
    // Entries left out of the walk that were neither searched nor passed
    // over by a rule: files whose path or name is too long, and folders
    // whose path is too long or that close a link loop.
    uint32_t _filesLeftOut;
    uint32_t _foldersLeftOut;

    // Nonzero makes later scans enter links (see above); 0 by default and
    // kept over Reset.
    void FollowLinks(int follow) { _followLinks = follow; }
    // Later scans keep their visits in `visits` (null: the scanner's own,
    // cleared at every Scan), which must outlive them; kept over Reset.
    void ShareVisits(WalkVisits* visits) { _visits = visits != nullptr ? visits : &_ownVisits; }

protected:
    List<FileName>* _nameSink; // set only during ScanInto: accepted names go there
    int32_t _nextIndex;        // index for the next OnFile; 0 at the start of every Scan
    int _collect;              // nonzero: keep accepted files in _found, report after the walk
    List<StringItem<ListElement>> _masks; // the masks, one per item; owning
    FileTypes _types;                     // the masks as the walk applies them
    List<FoundFile> _found;               // kept files in the order found; owning
    List<FileName> _directories;          // directories, or directory-with-mask entries; owning
    WalkVisits _ownVisits;
    WalkVisits* _visits = &_ownVisits; // what the walk reached, when it keeps track
    // While visits are kept: the real folders the walk is inside, innermost last.
    std::vector<FolderKey> _enclosingFolders;
    FoundFile* _foundCursor; // position of GetFirstFound / GetNextFound, may be null
    int _recursive;          // nonzero: descend into subdirectories
    int _followLinks = 0;    // nonzero: enter links to folders

private:
    // Nonzero when the walk keeps its visits: links are followed, or its
    // entries may overlap.
    int KeepsVisits() const { return _followLinks || _visits->byIdentity; }
    // Walks one directory and, when recursive, its subdirectories. Returns 1
    // when the tree was walked to its end, 0 when the scan was stopped.
    int ScanDirectory(const std::string& directory);
    // Looks up the one file `name` of `directory`; 0 when the scan was stopped.
    int ScanNamedFile(const std::string& directory, const String& name);
    // 1 when the listed subdirectory `entry` is walked.
    int IsWalkedFolder(const FindData& entry) const;
    // While visits are kept: 0 when `directory` is a real folder walked
    // already, and then a loop is counted when the walk is inside it; else
    // notes it as walked and inside, and gives its identity in `folder`.
    int EnterFolder(const std::string& directory, FolderKey& folder);
    void LeaveFolder();
    // Tries one listed file against the file types; 0 when OnFile stopped.
    int TryFile(const char* fullName, FindData* entry, const FolderKey* folder);
    // Counts, keeps or reports one file taken; 0 when OnFile stopped.
    int TakeFile(const char* fullName, FindData* entry);
    // Scans one directory-with-mask entry; 0 when the scan was stopped.
    int ScanMaskedEntry(const FileName& entry);
    // Makes _types from _masks.
    void CompileMasks();
    void ResetState(const String* mask, int collect, int recursive);
};

// Lists the entries of one directory through the platform's find-first /
// find-next enumeration. Paths and names are the walk's (fs/walk_path.h):
// UTF-8, of any length. The enumeration path is a directory with its closing
// backslash followed by a pattern: "*.*" (every entry of the directory, with
// or without a dot in its name, "." and ".." included where the platform
// gives them) or one exact name. Hidden and system files are never delivered;
// directories always are, hidden and system ones included.
//
// Nothing here raises: a directory that is missing or cannot be listed
// simply yields no entry, and an enumeration that fails part-way ends there.
// Failed tells the two kinds of end apart. The find handle is released by the
// destructor on every path.
#pragma once

#include <cstdint>

#include "fs/find_data.h"

// The rule of the DOS attribute filter: an entry with the hidden, system or
// directory bit is delivered only when it shares one of those bits with the
// requested set, and the scanner requests the directory bit alone. Entries
// with none of the three bits are always delivered.
int IsEnumerated(uint32_t attributes);

// Where a folder really is: the same real folder reached by two paths (one
// through a link) has the same identity.
struct FolderIdentity {
    uint64_t volume;
    uint64_t index;
    bool operator==(const FolderIdentity& other) const {
        return volume == other.volume && index == other.index;
    }
};

// The identity of the folder (or file) at walk path `path`, links followed;
// 0 when it cannot be told (it cannot be opened).
int IdentityOfFolder(const char* path, FolderIdentity* identity);

class DirectoryEnumeration {
public:
    // `path` (directory, backslash, pattern) must outlive the enumeration.
    explicit DirectoryEnumeration(const char* path);
    DirectoryEnumeration(const DirectoryEnumeration&) = delete;
    DirectoryEnumeration& operator=(const DirectoryEnumeration&) = delete;
    ~DirectoryEnumeration();

    // Fills `entry` with the next delivered entry and returns 1, or returns 0
    // at the end (and on every call after it).
    int Next(FindData* entry);

    // 1 when the enumeration ended on a failure (a listing refused or broken
    // off) rather than at the end of the entries or for want of any.
    int Failed() const { return _failed; }

    // Entries left out because their name in UTF-8 is longer than FindData
    // holds (255 bytes: a name of more than 85 characters outside ASCII).
    uint32_t Skipped() const { return _skipped; }

private:
    const char* _path;     // enumeration path, kept by the caller
    void* _handle;         // the platform's enumeration handle, null before the first entry
    int _finished;         // nonzero once the enumeration has ended
    int _failed = 0;       // it ended on a failure
    uint32_t _skipped = 0; // entries whose name did not fit FindData
};

// The entries of a run's file set: the directory list of its RunQuery, read
// entry by entry, and the masks cut from its file types. Entries end at ';',
// or at a CR or LF together with every CR and LF right after it, whatever
// their length: the walk refuses one that is too long and counts it
// (fs/entry_path.h), so that no entry is cut or passed over unseen. The list
// ends at its end or at the first entry shorter than 2 characters, so an
// empty entry (two separators in a row) ends it even when more entries
// follow.
#pragma once

#include <cstddef>

#include "base/string.h"
#include "base/text_utils.h"
#include "search/run_query.h"

// Cuts file types into `masks` (emptied first): every space is removed, then
// the text is cut at every ';' and ','. Every piece is a mask, empty pieces
// included (a trailing separator gives an empty last mask). Returns 1 for the
// first mask plus 1 for every later non-empty one; an empty text gives no
// mask and 0.
int SplitFileTypes(const String& fileTypes, StringList& masks);

class FileSetEntries {
public:
    // Reads `query` from the start; nothing is read before the first
    // NextFileSetEntry. The query must outlive the object.
    explicit FileSetEntries(const RunQuery& query) : _query(query) {}

    // Starts over at the start of the directory list.
    void Reset();

    // Gives the next entry and its recursion flag (the query's
    // subdirectories), or returns 0 when the list has no more. The first call
    // after a reset cuts the file types into masks and gives no entry at all
    // when there is no mask.
    int NextFileSetEntry(String& entry, int& recursive);

    // The masks of the file types, cut by the first NextFileSetEntry, in the
    // walk's form (fs/walk_path.h).
    const StringList& Masks() const { return _masks; }

private:
    // Reads the characters up to the next separator (consumed) or the end.
    void ReadEntry(String& entry);

    const RunQuery& _query;
    StringList _masks;     // owning
    size_t _position = 0;  // next character of the directory list to read
    bool _started = false; // the masks were cut since the last reset
    bool _ended = false;   // an entry was refused: the list has ended
};

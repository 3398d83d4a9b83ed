// The entries of a run's file set: the run form of the directory list in
// SearchSettings, read entry by entry. Entries end at ';', or at a CR or LF
// together with every CR and LF right after it. An entry longer than 257
// characters is skipped whole, up to its separator. The list ends at
// its end or at the first entry shorter than 2 characters, so an empty entry
// (two separators in a row) ends it even when more entries follow.
#pragma once

#include <cstddef>

#include "base/string.h"
#include "ui/search_settings.h"

enum { maxFileSetEntryLength = 257 };

class FileSetEntries {
public:
    // Reads `settings` from the start; nothing is read before the first
    // NextFileSetEntry.
    explicit FileSetEntries(SearchSettingsRecord& settings) : _settings(settings) {}

    // Starts over at the start of the directory list.
    void Reset();

    // Gives the next entry and its recursion flag (the SubDir setting), or
    // returns 0 when the list has no more. The first call after a reset cuts
    // the file types into masks (SplitFileTypes) and gives no entry at all
    // when there is no mask.
    int NextFileSetEntry(String& entry, int& recursive);

private:
    // Reads the characters up to the next separator (consumed) or the end.
    void ReadEntry(String& entry);

    SearchSettingsRecord& _settings;
    size_t _position = 0;  // next character of the directory list to read
    bool _started = false; // the masks were cut since the last reset
    bool _ended = false;   // an entry was refused: the list has ended
};

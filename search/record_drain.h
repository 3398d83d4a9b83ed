// Where a run can hand its hits as the walk takes them, one file's at a time
// and in walk order, instead of keeping them as hit records in the results'
// hitList: a program that writes them out as they come (trovfind) then
// makes no record at all and holds no more than the lines of the files
// searched and not yet taken. The library keeps its records (the host reads
// them after the run) and sets none.
#pragma once

#include <cstdint>
#include <string>

#include "base/string.h"

// A file's hit lines as a drain prepared them (RecordDrain::PrepareLine).
struct PreparedRecords {
    std::string text;
    std::string name;  // the file's name as the drain shows it, made at its first line
    int32_t count = 0; // hit lines it holds
};

class RecordDrain {
public:
    virtual ~RecordDrain() {}
    // On the thread that searches a file (several threads at once, each with
    // its own file), for each hit line in the order found, in place of the
    // record the search would make: adds the line to `prepared`, which holds
    // that file's lines only. `fileName` and `lineNumber` are what the record
    // would hold, `text` its line text (`length` bytes, which the host would
    // read up to a zero byte among them; empty in file-names-only mode). May
    // raise bad_alloc, which ends the file's records as a full hit list.
    virtual void PrepareLine(const String& fileName, int32_t lineNumber, const char* text,
                             uint32_t length, PreparedRecords& prepared) = 0;
    // On the walking thread, in walk order: takes one file's lines and leaves
    // `prepared` empty.
    virtual void TakePrepared(PreparedRecords& prepared) = 0;
};

// Where a run can hand its hit records as the walk takes them, one file's at
// a time and in walk order, instead of keeping them all in the results'
// hitList: a program that writes them out as they come (trovfind) then
// holds no more than one file's records. The library keeps its records (the
// host reads them after the run) and sets none.
#pragma once

#include <cstdint>
#include <string>

#include "base/list.h"

class GrepInfo;

// A file's records as a drain prepared them (RecordDrain::Prepare).
struct PreparedRecords {
    std::string text;
    int32_t count = 0; // records it holds
};

class RecordDrain {
public:
    virtual ~RecordDrain() {}
    // On the thread that searched a file, before the walk takes it (several
    // threads at once, each with its own file): may turn the records of
    // `records` into `prepared` and leave the list empty, so that taking them
    // costs the walking thread no more than TakePrepared, and the records
    // are freed on the thread that made them. By default they stay for Take.
    virtual void Prepare(List<GrepInfo>& /*records*/, PreparedRecords& /*prepared*/) {}
    // Takes the records of `records`, all of one file, and leaves it empty.
    virtual void Take(List<GrepInfo>& records) = 0;
    // Takes one file's records that Prepare turned into `prepared`.
    virtual void TakePrepared(PreparedRecords& /*prepared*/) {}
};

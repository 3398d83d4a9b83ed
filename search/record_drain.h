// Where a run can hand its hit records as the walk takes them, one file's at
// a time and in walk order, instead of keeping them all in the results'
// hitList: a program that writes them out as they come (trovfind) then
// holds no more than one file's records. The library keeps its records (the
// host reads them after the run) and sets none.
#pragma once

#include "base/list.h"

class GrepInfo;

class RecordDrain {
public:
    virtual ~RecordDrain() {}
    // Takes the records of `records`, all of one file, and leaves it empty.
    virtual void Take(List<GrepInfo>& records) = 0;
};

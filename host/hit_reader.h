// HitReader: reads the records of a hit list by position. Hosts read the
// records in order, 0 to count - 1 (or back); the reader remembers the last
// record it gave, so that each such step costs constant time instead of a
// walk from the head. Any index works: the walk starts from whichever of the
// head, the tail or the remembered record lies nearest.
#pragma once

#include <cstdint>

#include "base/list.h"
#include "search/hit_record.h"

class HitReader {
public:
    explicit HitReader(const List<GrepInfo>& list) : _list(list) {}

    // The record at `index` (0 is the head); null outside 0 to count - 1.
    // Appending records to the list keeps the remembered one valid.
    GrepInfo* At(int32_t index);

    // Must be called whenever records leave the list: the remembered record
    // may be gone.
    void Forget() { _last = nullptr; }

private:
    const List<GrepInfo>& _list;
    GrepInfo* _last = nullptr; // the record given last, or null
    int32_t _lastIndex = 0;    // its position
};

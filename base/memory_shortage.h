// MemoryShortage: the signal that memory ran out during a run, on any of its
// threads. The run's reserve sets it from the new-handler
// (host/memory_headroom.h); the search of each file reads it through its
// FileSearch to make no more records, and the walk to stop as Stop does.
#pragma once

#include <atomic>

class MemoryShortage {
public:
    void Signal() { _ranOut.store(1); }
    int RanOut() const { return _ranOut.load(std::memory_order_relaxed); }

private:
    std::atomic<int> _ranOut{0};
};

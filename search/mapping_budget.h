// MappingBudget: the bytes that the files searched at once may have mapped
// together. Several workers each mapping a whole file could otherwise fill a
// 32-bit host's address space; within the budget they map side by side, and a
// file larger than the budget is mapped alone, as a one-thread run would.
// Requests are served in the order they come, so that a large file waiting to
// be alone is not passed over by a stream of small ones.
#pragma once

#include <cstdint>
#include <deque>

#include "base/thread_sync.h"

class SearchPulse;

class MappingBudget {
public:
    explicit MappingBudget(uint64_t bytes) : _bytes(bytes) {}

    // Waits until `bytes` fit beside what the others have taken, or until
    // nothing is taken (a request beyond the budget is then served alone),
    // and takes them. While it waits it calls `pulse` (may be null) every 10
    // milliseconds; returns 0 without taking anything when the pulse asks to
    // stop, else 1.
    int Take(uint64_t bytes, SearchPulse* pulse);
    void Give(uint64_t bytes);

    // The bytes taken now (for tests).
    uint64_t InUse();

private:
    const uint64_t _bytes;
    Mutex _mutex;
    ConditionVariable _changed; // bytes given back, or the head of the queue left
    uint64_t _inUse = 0;
    uint64_t _nextTicket = 0;    // handed to the next request
    std::deque<uint64_t> _queue; // the tickets of the requests waiting, in order
};

// The bytes of one file's mapping, taken from a budget until the lease ends.
class MappingLease {
public:
    MappingLease() {}
    ~MappingLease() {
        if (_budget) _budget->Give(_bytes);
    }
    MappingLease(const MappingLease&) = delete;
    MappingLease& operator=(const MappingLease&) = delete;

    // Takes `bytes` from `budget` (once); a null budget bounds nothing.
    // Returns 0 when the run stopped while the lease waited.
    int Take(MappingBudget* budget, uint64_t bytes, SearchPulse* pulse) {
        if (!budget) return 1;
        if (!budget->Take(bytes, pulse)) return 0;
        _budget = budget;
        _bytes = bytes;
        return 1;
    }

private:
    MappingBudget* _budget = nullptr;
    uint64_t _bytes = 0;
};

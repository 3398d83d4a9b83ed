// The consumer's side of a pool run, as the threaded walk drives it
// (host/entries_walk.cpp), for the ThreadSanitizer tests of the pool.
#pragma once

#include <vector>

#include "search/search_pulse.h"

// Submits the jobs of `walk` to `pool` in order and, whenever the pool is
// full, takes results in order into `result` until it has room; after the
// walk, takes the rest. `beforeSubmit()` runs before every submission and
// `beforeTake()` before every take (where a stop asked meanwhile reaches the
// pool); `take(result)` has each result taken and returns false to end the
// run. The files the consumer searches itself pulse `own`.
template <class Pool, class Job, class Result, class BeforeSubmit, class BeforeTake, class Take>
void RunConsumer(Pool& pool, const std::vector<Job>& walk, Result& result, SearchPulse& own,
                 BeforeSubmit beforeSubmit, BeforeTake beforeTake, Take take) {
    // Takes what is ready: until the pool has room, or to the end; false
    // once the run ends.
    auto takeResults = [&](bool toEnd) {
        for (;;) {
            beforeTake();
            const bool more = toEnd || pool.Full();
            const typename Pool::Take took =
                more ? pool.TakeNext(result, 1, own) : pool.TakeReady(result);
            if (took == Pool::finished) return false;
            if (took == Pool::waiting) {
                if (more) continue;
                return true;
            }
            if (!take(result)) return false;
        }
    };
    bool listing = true;
    for (size_t i = 0; listing && i < walk.size(); ++i) {
        beforeSubmit();
        const typename Pool::Submitted submitted = pool.Submit(walk[i]);
        listing = submitted == Pool::queued || (submitted == Pool::full && takeResults(false));
    }
    pool.EndOfWalk();
    if (listing) takeResults(true);
}

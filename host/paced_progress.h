// PacedProgress: a walk's progress that passes the count of processed files
// on at most every 50 milliseconds, since it would otherwise be rewritten for
// every file; everything else goes straight through. One per walk, so that
// no run's pace outlives it.
#pragma once

#include <cstdint>

#include "host/walk_progress.h"

class PacedProgress : public WalkProgress {
public:
    // `clock` gives milliseconds; it wraps every 49.7 days.
    PacedProgress(WalkProgress& shown, uint32_t (*clock)()) : _shown(shown), _clock(clock) {}

    int Open() override { return _shown.Open(); }
    void KeepAlive() override { _shown.KeepAlive(); }
    void DirectoryEntered(const FileName& directory) override {
        _shown.DirectoryEntered(directory);
    }
    void FileProcessed(uint32_t filesProcessed) override {
        const uint32_t now = _clock();
        if (_counted && !Due(now)) return;
        _counted = true;
        _nextUpdate = now + interval;
        _shown.FileProcessed(filesProcessed);
    }
    void HitsChanged(const FileName& file, const RunCounterSet& counters) override {
        _shown.HitsChanged(file, counters);
    }
    WalkStop StopRequest() override { return _shown.StopRequest(); }
    void HitListFull(int32_t records) override { _shown.HitListFull(records); }
    void ReportFailure() override { _shown.ReportFailure(); }

private:
    static constexpr uint32_t interval = refreshPeriod; // between two shown counts

    // Whether `now` lies after the next update, in the clock's wrapping
    // arithmetic: the deadline is at most one interval ahead until it is
    // passed, and then seems almost a whole wrap ahead. (Comparing `now` and
    // the deadline directly fails when only one of them has wrapped.)
    bool Due(uint32_t now) const { return _nextUpdate - now > interval; }

    WalkProgress& _shown;
    uint32_t (*const _clock)();
    bool _counted = false; // the first count is shown at once
    uint32_t _nextUpdate = 0;
};

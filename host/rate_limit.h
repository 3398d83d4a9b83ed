// RateLimit: lets an action happen at most once per interval of the
// millisecond clock (which wraps at 2^32 ms: intervals are differences).
// It also keeps the longest time between two of its actions: for the
// dispatch of a run's messages, how long the user's windows went unanswered.
#pragma once

#include <cstdint>

class RateLimit {
public:
    explicit RateLimit(uint32_t interval) : _interval(interval) {}

    // Whether the action is due at `now`: it never happened, or `interval`
    // ms have passed since it last did. When it is due it counts as done now.
    bool TakeIfDue(uint32_t now) {
        if (_taken && now - _last < _interval) return false;
        if (_taken && now - _last > _longestGap) _longestGap = now - _last;
        _last = now;
        _taken = true;
        return true;
    }

    // The longest time between two actions so far; 0 before the second.
    uint32_t LongestGap() const { return _longestGap; }

private:
    uint32_t _interval;
    uint32_t _last = 0;       // clock time of the last action, when _taken
    bool _taken = false;      // the action has happened
    uint32_t _longestGap = 0; // see LongestGap
};

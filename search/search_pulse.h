// SearchPulse: how a long search of one file lets its run keep the user
// interface alive and learn that it must end. The per-file search calls it
// as it goes; the run implements it.
#pragma once

class SearchPulse {
public:
    virtual ~SearchPulse() {}
    // Called at least every 64 KiB of bytes scanned or matched inside one file (and
    // between files). Returns nonzero when the file's search must end now (stop or
    // cancel): the matches found so far in that file still become records, as if the
    // file ended there.
    virtual int Pulse() = 0;
};

// Bytes of work between two pulses.
constexpr unsigned pulseInterval = 64u << 10;

// Milliseconds: a run's user interface dispatches its waiting messages at
// most this often (whoever keeps it alive, a pulse or a waiting thread, asks
// at least as often), and refreshes its texts at most every refreshPeriod.
constexpr unsigned dispatchPeriod = 10;
constexpr unsigned refreshPeriod = 50;

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

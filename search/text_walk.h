// TextWalk: the one way the per-file search goes through a text's windows
// (search/file_windows.h). Every pass over a file (the encoding's detection,
// its conversion, statistics, the plain and the pattern search, the line
// pass and the line texts) asks its windows here, reads them under the fault
// guard and pulses the run between two pieces of work, so that a file that
// shrinks or vanishes while it is read costs that file alone and a long
// file keeps the user interface alive.
#pragma once

#include <cstdint>

#include "fs/fault_guard.h"
#include "search/file_windows.h"
#include "search/search_pulse.h"

// Raised when the bytes of a window could not be read.
struct TextFault {};

// Runs `read` over the bytes of `window` under the fault guard; raises
// TextFault when they vanish.
template <class Read>
void ReadGuarded(const FileWindow& window, Read read) {
    if (!RunGuarded(window.data, window.length, read)) throw TextFault();
}

// The bytes from `from` up to `end` in pieces of at most pulseInterval bytes.
inline uint32_t PieceEnd(uint32_t from, uint32_t end) {
    return end - from > pulseInterval ? from + pulseInterval : end;
}

// The run's pulse for one file: once it has asked to stop, the file's search
// stays stopped.
class FilePulse : public SearchPulse {
public:
    explicit FilePulse(SearchPulse* run) : _run(run) {}
    int Pulse() override {
        if (!_stopped && _run != nullptr && _run->Pulse() != 0) _stopped = 1;
        return _stopped;
    }
    int Stopped() const { return _stopped; }

private:
    SearchPulse* _run;
    int _stopped = 0;
};

class TextWalk {
public:
    enum : uint64_t { done = UINT64_MAX };

    TextWalk(WindowSource& source, FilePulse& pulse) : _source(source), _pulse(pulse) {}

    // Shows the window that holds `at` and calls visit(window, local), where
    // `local` is the offset of `at` in the window, under the fault guard;
    // visit does at most pulseInterval bytes of work and returns the offset
    // to go on from, or `done`. The walk ends there, at the end of the text,
    // or, unless `throughStop`, when the pulse between two visits asks to
    // stop. Raises TextFault, and whatever the source raises.
    template <class Visit>
    void From(uint64_t at, Visit visit, bool throughStop = false) {
        Walk(at, visit, throughStop, &WindowSource::WindowAt);
    }

    // As From, for a pass that follows the search through the text it has
    // gone through (the line pass, the line texts): any window that holds
    // `at` will do, so such a pass never moves the source on and away from
    // text it still needs.
    template <class Visit>
    void Behind(uint64_t at, Visit visit, bool throughStop = false) {
        Walk(at, visit, throughStop, &WindowSource::WindowHolding);
    }

    // Whether the search may go on to `at` and leave the line pass behind:
    // always, unless the source would leave `window` for `at` and showing it
    // again is costly. The source keeps a window while it reaches Reach()
    // past the offset asked or ends the text; one that moves on sooner costs
    // time, never results.
    bool MayGoOn(const FileWindow& window, uint64_t at) const {
        if (!_source.CostlyToShowAgain()) return true;
        return at >= window.start &&
               (window.last ? at <= window.End()
                            : at < window.End() && window.End() - at >= _source.Reach());
    }
    // Whether the search hands its matches to the line pass before a window
    // of the source is left.
    bool KeepsPassesTogether() const { return _source.CostlyToShowAgain(); }

    // One window, for a pass that reads it in its own pieces.
    FileWindow WindowAt(uint64_t at) { return _source.WindowAt(at); }
    WindowSource& Source() { return _source; }
    FilePulse& Pulse() { return _pulse; }

private:
    template <class Visit>
    void Walk(uint64_t at, Visit& visit, bool throughStop,
              FileWindow (WindowSource::*windowAt)(uint64_t)) {
        while (throughStop || !_pulse.Stopped()) {
            const FileWindow window = (_source.*windowAt)(at);
            uint64_t next = done;
            ReadGuarded(window, [&] { next = visit(window, window.Local(at)); });
            if (next == done || (window.last && next >= window.End())) return;
            at = next;
            _pulse.Pulse();
        }
    }

    WindowSource& _source;
    FilePulse& _pulse;
};

// The progress of trovfind's walk: a progress line on the console (on
// Windows standard error when that is one, else the console the program runs
// in, if any; natively standard error when it is a terminal), and Ctrl+C (or
// Ctrl+Break) as the stop request, so that the walk ends and what was found
// so far is printed. What the two platforms share is console_progress.cpp;
// the handler and the console are each platform's.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "host/rate_limit.h"
#include "host/walk_progress.h"

class ConsoleProgress : public WalkProgress {
public:
    // Installs the console control handler (natively the SIGINT handler)
    // for the life of the object.
    ConsoleProgress();
    ~ConsoleProgress() override;

    int Open() override { return 1; }
    // Nothing to dispatch (Ctrl+C comes on a thread of its own), but timed as
    // the progress window's dispatch is: at most every dispatchPeriod.
    void KeepAlive() override;
    void DirectoryEntered(const FileName& directory) override;
    void FileProcessed(uint32_t filesProcessed) override;
    void HitsChanged(const FileName& file, const RunCounterSet& counters) override;
    void HitListFull(int32_t records) override;
    WalkStop StopRequest() override;
    void ReportFailure() override;

    // Removes the progress line, if one is shown.
    void Clear();

    // The longest time between two of the walk's dispatches: how long the
    // walk would have left a progress window unanswered.
    uint32_t LongestGap() const { return _dispatches.LongestGap(); }

    // The stop that Ctrl+C asks for; called by the handler, on whichever
    // thread it runs (a lock-free atomic may be written in a signal handler).
    static void AskToStop() { _stopAsked = stopKeep; }

private:
    void Show();
    // Writes the text on the console (the platform's part).
    void Put(const char* text, size_t length);

    static std::atomic<int> _stopAsked;

    void* _console;      // the console (standard error's, or one opened) or null
    bool _ownConsole;    // _console was opened here and is closed with it
    bool _shown = false; // a progress line is on the screen
    uint32_t _files = 0; // the processed files shown
    uint32_t _hits = 0;  // the hit count shown
    RateLimit _dispatches{dispatchPeriod};
};

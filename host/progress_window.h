// ProgressWindow: the small modeless window of a search run (template
// IDD_PROGRESS of the library's module, no owner) as the walk's progress. It
// shows the directory being entered, the processed files, the hits line and
// the last file with hits, and turns its Stop and Cancel buttons into its
// stop request. Windows only.
//
// Its cost must not show in a run's time. Writing a text and painting it
// costs far more under some platforms than searching a small file, so every
// line is refreshed at most every refreshPeriod (the processed-files count is
// limited so by the walk, the other lines here), from the latest values; and
// the thread's messages, through which the buttons are seen and every window
// of the thread is painted, are dispatched at most every dispatchPeriod, however often
// the walk offers (after every directory entry, at the start of every file
// and while a file is searched). A quit message of the host cancels the run.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "fs/file_name.h" // ModuleHandle
#include "host/rate_limit.h"
#include "host/walk_progress.h"

typedef struct HWND__* HWND;

class ProgressWindow : public WalkProgress {
public:
    // `statistics`: the run counts statistics, and the hits line stays empty.
    ProgressWindow(ModuleHandle module, int statistics)
        : _module(module), _statistics(statistics) {}
    // Destroys the window, if one was created.
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Creates the window, shown at once; 0 when it cannot be created.
    int Open() override;
    // PumpMessages and the refresh of the lines that changed, each when due.
    // After the host's WM_QUIT the run is cancelled and nothing more is
    // dispatched.
    void KeepAlive() override;
    void DirectoryEntered(const FileName& directory) override;
    void FileProcessed(uint32_t filesProcessed) override;
    void HitsChanged(const FileName& file, const RunCounterSet& counters) override;
    // "Too many hits: the search stopped after %d records." in a box titled
    // "Trovik", then a stop.
    void HitListFull(int32_t records) override;
    WalkStop StopRequest() override;
    // "Error detected. Operation aborted." in a box titled "Trovik", then a cancel.
    void ReportFailure() override;

    // What the buttons (and the host's quit, and a failure) ask.
    void RequestStop(WalkStop request) { _stopRequest = request; }

    HWND Window() const { return _window; }

private:
    // Writes the lines that changed since they were last written.
    void UpdateTexts();
    // The hits line (IDC_PROGRESS_HITS); left alone in statistics mode.
    void UpdateHitsText();

    ModuleHandle _module;
    int _statistics;
    HWND _window = nullptr;
    WalkStop _stopRequest = stopNone;  // the buttons', a quit's or a failure's request
    RateLimit _pumps{dispatchPeriod};  // the dispatch of the thread's messages
    RateLimit _updates{refreshPeriod}; // the refresh of the lines
    bool _quitSeen = false;            // the host's WM_QUIT came: nothing more is dispatched
    String _directory;                 // the directory entered last
    String _lastHitFile;               // the file that had hits last
    bool _directoryNew = false;        // _directory is not shown yet
    bool _hitsNew = false;             // the hits line and _lastHitFile are not shown yet
    uint32_t _hitCount = 0;            // the counters the hits line shows
    uint32_t _filesWithHits = 0;
};

// Removes every message waiting in the thread's queue, for any window, and
// translates and dispatches it. No dialog keyboard handling: Tab, Enter and
// Escape mean nothing to the progress window, whose buttons take the mouse.
// Returns 0 when it took the host's WM_QUIT off the queue: the quit is posted
// again with its exit code, for the host's own message loop to end on, and
// nothing after it is dispatched.
int PumpMessages();

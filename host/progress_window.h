// ProgressWindow: the small modeless window of a search run (template 502 of
// the library's module, no owner) as the walk's progress. It shows the
// directory being entered, the processed files, the hits line and the last
// file with hits, and turns its Stop and Cancel buttons into
// RunState.stopRequest. Windows only.
//
// Its cost must not show in a run's time. Writing a text and painting it
// costs far more under some platforms than searching a small file, so every
// line is refreshed at most every 50 ms (the processed-files count is
// limited so by the walk, the other lines here), from the latest values; and
// the thread's messages, through which the buttons are seen and every window
// of the thread is painted, are dispatched at the start of a file at most
// every 10 ms. A click is thus seen within 10 ms plus the file being searched.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "fs/file_name.h" // ModuleHandle
#include "host/walk_progress.h"

typedef struct HWND__* HWND;

class ProgressWindow : public WalkProgress {
public:
    explicit ProgressWindow(ModuleHandle module) : _module(module) {}
    // Destroys the window, if one was created.
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Creates the window, shown at once; 0 when it cannot be created.
    int Open() override;
    // PumpMessages and the refresh of the lines that changed, each when due.
    void KeepAlive() override;
    void DirectoryEntered(const FileName& directory) override;
    void FileProcessed(uint32_t filesProcessed) override;
    void HitsChanged(const FileName& file) override;
    int StopRequest() override;
    // "Error detected. Operation aborted." in a box titled "Trovik", then a cancel.
    void ReportFailure() override;

    HWND Window() const { return _window; }

private:
    // Writes the lines that changed since they were last written.
    void UpdateTexts();
    // The hits line (control 803); left alone in statistics mode.
    void UpdateHitsText();

    ModuleHandle _module;
    HWND _window = nullptr;
    uint32_t _lastPump = 0;     // clock time of the last dispatch
    uint32_t _lastUpdate = 0;   // clock time the lines were last written
    bool _pumped = false;       // a dispatch has happened: _lastPump holds
    bool _updated = false;      // the lines were written: _lastUpdate holds
    String _directory;          // the directory entered last
    String _lastHitFile;        // the file that had hits last
    bool _directoryNew = false; // _directory is not shown yet
    bool _hitsNew = false;      // the hits line and _lastHitFile are not shown yet
};

// Removes every message waiting in the thread's queue, for any window, and
// translates and dispatches it. No dialog keyboard handling: Tab, Enter and
// Escape mean nothing to the progress window, whose buttons take the mouse.
void PumpMessages();

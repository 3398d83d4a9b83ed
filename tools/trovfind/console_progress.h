// The progress of trovfind's walk: a progress line on standard error when that
// is a console, and Ctrl+C (or Ctrl+Break) as the stop request, so that the
// walk ends and what was found so far is printed.
#pragma once

#include <cstdint>

#include "host/walk_progress.h"

class ConsoleProgress : public WalkProgress {
public:
    // Installs the console control handler for the life of the object.
    ConsoleProgress();
    ~ConsoleProgress() override;

    int Open() override { return 1; }
    void KeepAlive() override {}
    void DirectoryEntered(const FileName& directory) override;
    void FileProcessed(uint32_t filesProcessed) override;
    void HitsChanged(const FileName& file) override;
    int StopRequest() override;
    void ReportFailure() override;

    // Removes the progress line, if one is shown.
    void Clear();

private:
    void Show();

    void* _console;      // standard error's handle when it is a console, else null
    bool _shown = false; // a progress line is on the screen
    uint32_t _files = 0;
};

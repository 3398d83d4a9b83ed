#include "host/progress_window.h"

#include <windows.h>

#include "fs/message_box.h"
#include "host/progress_texts.h"
#include "host/run_state.h"
#include "host/trovik_file_scanner.h" // walkClock
#include "resources/resource.h"
#include "search/search_params.h"

namespace {

const char failureText[] = "Error detected. Operation aborted.";
const char failureCaption[] = "Trovik";
const char noHitsYet[] = "Hits: 0";

constexpr uint32_t pumpInterval = 10;   // ms between two dispatches of the messages
constexpr uint32_t updateInterval = 50; // ms between two refreshes of the lines

// Whether `interval` ms have passed since `last`; the clock may wrap between.
bool Due(bool happened, uint32_t last, uint32_t now, uint32_t interval) {
    return !happened || now - last >= interval;
}

// The buttons set the stop request; every message, these included, is left
// to the dialog manager's default handling.
INT_PTR CALLBACK ProgressProcedure(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == IDCANCEL) RunState.stopRequest = stopCancel;
        if (LOWORD(wParam) == IDC_PROGRESS_STOP) RunState.stopRequest = stopKeep;
    }
    return FALSE;
}

} // namespace

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

ProgressWindow::~ProgressWindow() {
    if (_window) DestroyWindow(_window);
}

int ProgressWindow::Open() {
    _window =
        CreateDialogParamA(_module, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressProcedure, 0);
    if (!_window) return 0;
    SetDlgItemTextA(_window, IDC_PROGRESS_HITS, statMode ? "" : noHitsYet);
    return 1;
}

void ProgressWindow::KeepAlive() {
    const uint32_t now = walkClock();
    if ((_directoryNew || _hitsNew) && Due(_updated, _lastUpdate, now, updateInterval)) {
        UpdateTexts();
        _lastUpdate = now;
        _updated = true;
    }
    if (Due(_pumped, _lastPump, now, pumpInterval)) {
        PumpMessages();
        _lastPump = now;
        _pumped = true;
    }
}

void ProgressWindow::DirectoryEntered(const FileName& directory) {
    _directory = directory;
    _directoryNew = true;
}

void ProgressWindow::FileProcessed(uint32_t filesProcessed) {
    SetDlgItemTextA(_window, IDC_PROGRESS_FILES, ProcessedFilesText(filesProcessed).c_str());
}

void ProgressWindow::HitsChanged(const FileName& file) {
    _lastHitFile = file;
    _hitsNew = true;
}

int ProgressWindow::StopRequest() {
    return RunState.stopRequest;
}

void ProgressWindow::ReportFailure() {
    ShowMessageBox(nullptr, failureText, failureCaption, MB_OK);
    RunState.stopRequest = stopCancel;
}

void ProgressWindow::UpdateTexts() {
    if (_directoryNew) SetDlgItemTextA(_window, IDC_PROGRESS_DIRECTORY, _directory.c_str());
    if (_hitsNew)
        SetDlgItemTextA(_window, IDC_PROGRESS_LAST_HIT, LastHitText(_lastHitFile).c_str());
    UpdateHitsText();
    _directoryNew = _hitsNew = false;
}

void ProgressWindow::UpdateHitsText() {
    if (statMode) return;
    SetDlgItemTextA(_window, IDC_PROGRESS_HITS,
                    HitsText(RunCounters.hitCount, RunCounters.filesWithHits).c_str());
}

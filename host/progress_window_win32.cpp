#include "host/progress_window.h"

#include <windows.h>

#include <cstdio>

#include "base/guarded_procedure_win32.h"
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

int PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return 0;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 1;
}

ProgressWindow::~ProgressWindow() {
    if (_window) DestroyWindow(_window);
}

int ProgressWindow::Open() {
    _window = CreateDialogParamA(_module, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                 Guarded<INT_PTR, ProgressProcedure>, 0);
    if (!_window) return 0;
    SetDlgItemTextA(_window, IDC_PROGRESS_HITS, statMode ? "" : noHitsYet);
    return 1;
}

void ProgressWindow::KeepAlive() {
    const uint32_t now = walkClock();
    if ((_directoryNew || _hitsNew) && _updates.TakeIfDue(now)) UpdateTexts();
    if (!_quitSeen && _pumps.TakeIfDue(now) && !PumpMessages()) {
        _quitSeen = true;
        RunState.stopRequest = stopCancel;
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

void ProgressWindow::HitListFull(int32_t records) {
    char text[80]; // formatted in place: memory has run out
    snprintf(text, sizeof text, "Too many hits: the search stopped after %d records.",
             static_cast<int>(records));
    ShowMessageBox(nullptr, text, failureCaption, MB_OK);
    RunState.stopRequest = stopKeep;
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

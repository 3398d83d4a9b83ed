#include "host/progress_window.h"

#include <windows.h>

#include <cstdio>

#include "base/guarded_procedure_win32.h"
#include "fs/message_box.h"
#include "host/millisecond_clock.h" // walkClock
#include "host/progress_texts.h"
#include "resources/resource.h"
#include "search/run_counters.h"

namespace {

const char failureText[] = "Error detected. Operation aborted.";
const char noHitsYet[] = "Hits: 0";

// The buttons set the stop request of the ProgressWindow that created the
// window (handed in at WM_INITDIALOG, kept in the window); every message,
// these included, is left to the dialog manager's default handling.
INT_PTR CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
    if (message == WM_COMMAND) {
        auto* progress = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, DWLP_USER));
        if (progress && LOWORD(wParam) == IDCANCEL) progress->RequestStop(stopCancel);
        if (progress && LOWORD(wParam) == IDC_PROGRESS_STOP) progress->RequestStop(stopKeep);
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
    _window =
        CreateDialogParamA(_module, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                           Guarded<INT_PTR, ProgressProcedure>, reinterpret_cast<LPARAM>(this));
    if (!_window) return 0;
    SetDlgItemTextA(_window, IDC_PROGRESS_HITS, _statistics ? "" : noHitsYet);
    return 1;
}

void ProgressWindow::KeepAlive() {
    const uint32_t now = walkClock();
    if ((_directoryNew || _hitsNew) && _updates.TakeIfDue(now)) UpdateTexts();
    if (!_quitSeen && _pumps.TakeIfDue(now) && !PumpMessages()) {
        _quitSeen = true;
        RequestStop(stopCancel);
    }
}

void ProgressWindow::DirectoryEntered(const FileName& directory) {
    _directory = directory;
    _directoryNew = true;
}

void ProgressWindow::FileProcessed(uint32_t filesProcessed) {
    SetDlgItemTextA(_window, IDC_PROGRESS_FILES, ProcessedFilesText(filesProcessed).c_str());
}

void ProgressWindow::HitsChanged(const FileName& file, const RunCounterSet& counters) {
    _lastHitFile = file;
    _hitCount = counters.hitCount;
    _filesWithHits = counters.filesWithHits;
    _hitsNew = true;
}

void ProgressWindow::HitListFull(int32_t records) {
    char text[80]; // formatted in place: memory has run out
    snprintf(text, sizeof text, "Too many hits: the search stopped after %d records.",
             static_cast<int>(records));
    ShowMessageBox(nullptr, text, TROVIK_CAPTION, boxOk);
    RequestStop(stopKeep);
}

WalkStop ProgressWindow::StopRequest() {
    return _stopRequest;
}

void ProgressWindow::ReportFailure() {
    ShowMessageBox(nullptr, failureText, TROVIK_CAPTION, boxOk);
    RequestStop(stopCancel);
}

void ProgressWindow::UpdateTexts() {
    if (_directoryNew) SetDlgItemTextA(_window, IDC_PROGRESS_DIRECTORY, _directory.c_str());
    if (_hitsNew)
        SetDlgItemTextA(_window, IDC_PROGRESS_LAST_HIT, LastHitText(_lastHitFile).c_str());
    UpdateHitsText();
    _directoryNew = _hitsNew = false;
}

void ProgressWindow::UpdateHitsText() {
    if (_statistics) return;
    SetDlgItemTextA(_window, IDC_PROGRESS_HITS, HitsText(_hitCount, _filesWithHits).c_str());
}

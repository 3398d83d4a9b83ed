#include "host/search_run.h"

#include <windows.h>

#include "base/system_library.h"
#include "host/file_set_walk.h"
#include "host/progress_window.h"
#include "host/run_state.h"
#include "host/settings_query.h"
#include "ui/search_dialog.h"
#include "ui/search_settings.h"
#include "ui/settings_file.h"

namespace {

// The platform's wait cursor while it lives; the previous cursor after.
class BusyCursor {
public:
    BusyCursor() : _previous(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { SetCursor(_previous); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    HCURSOR _previous;
};

// Platforms before version 4 draw dialogs flat unless the three-dimensional
// controls library registers them; it stays loaded until the process ends.
void SetUpThreeDimensionalControls(ModuleHandle module) {
    if (LOBYTE(LOWORD(GetVersion())) >= 4) return;
    HMODULE library = LoadSystemLibrary("ctl3d32.dll");
    if (!library) return;
    typedef BOOL(WINAPI * Ctl3dFunction)(HINSTANCE);
    for (const char* name : {"Ctl3dRegister", "Ctl3dAutoSubclass"}) {
        FARPROC found = GetProcAddress(library, name);
        if (found) reinterpret_cast<Ctl3dFunction>(reinterpret_cast<void (*)()>(found))(module);
    }
}

} // namespace

void PrepareRun() {
    if (!RunState.uiReady) {
        RunState.uiReady = 1;
        SetUpThreeDimensionalControls(RunState.moduleHandle);
    }
    // From here on the previous results are gone, even if the dialog is cancelled.
    ClearRunResults();
}

int RunSearch(int showDialog) {
    if (!RunState.firstRunDone) {
        RunState.firstRunDone = 1;
        showDialog = 1;
    }
    PrepareRun();
    LoadSettings(SearchSettings, RunState.moduleHandle);
    if (showDialog && ShowSearchDialog(RunState.moduleHandle, SearchSettings) != 1) return 1;
    const RunQuery query = QueryFromSettings(SearchSettings, showDialog ? SearchSettings.textToFind
                                                                        : SearchSettings.hostText);

    // The window is destroyed after the cursor is back.
    ProgressWindow progress(RunState.moduleHandle, query.statistics);
    BusyCursor cursor;
    return WalkFileSet(query, progress, runResults) == stopCancel ? 1 : 0;
}

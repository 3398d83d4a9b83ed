// RunSearch: one search command of trovik.dll from start to end: the
// one-time set-up, the settings, the emptied hit list, the search dialog
// when asked (and always on the first run since the library was loaded), and
// the walk of the file set with the progress window and the busy cursor.
// Windows only (search_run_win32.cpp); the walk itself is WalkFileSet.
#pragma once

// Returns 1 when the run was cancelled: the dialog was cancelled, closed with
// an empty text or could not be created, the progress window's Cancel was
// pressed, or a failure ended the walk (after its message box; a progress
// window that cannot be created is one). Returns 0 otherwise: a completed
// walk, Stop, a blank text or an empty directory list. The progress window is gone and the cursor
// restored on every path.
int RunSearch(int showDialog);

// The one-time user-interface set-up (three-dimensional controls on the
// oldest platforms), then the results of the last run cleared: counters and
// hit records.
void PrepareRun();

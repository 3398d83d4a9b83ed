// The pickers behind Add Directory and Add File: the platform's open-file
// dialog, turned into a directory chooser for the first. Both open where the
// last pick was made (lastPickedDirectory, shared, empty at load: then the
// process's current directory) and never change the current directory.
// Windows only.
#pragma once

#include "base/string.h"

// The directory of the last successful pick, without a trailing backslash;
// never stored in the settings file.
extern String lastPickedDirectory;

// Returns 1 with the chosen directory in `result`, without a trailing
// backslash ("C:" for a drive's root). Cancel, the close box or a failure of
// the platform's dialog return 0 and leave `result` and lastPickedDirectory
// alone. `owner` is the search dialog (an HWND).
int PickDirectory(void* owner, String& result, const char* title);
// Returns 1 with the chosen file's full path in `result`; the dialog itself
// refuses names of files that do not exist.
int PickFile(void* owner, String& result, const char* title);

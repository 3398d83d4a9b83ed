// Libraries that the code loads at run time, taken only from the system's
// own folder. Loaded by a bare name, a library that Windows does not always
// take from the system (such as lz32.dll or ctl3d32.dll) is searched in the
// host's folder and the current directory first, where anyone who can put a
// file beside the host could plant a copy. Windows only.
#pragma once

typedef struct HINSTANCE__* SystemLibraryHandle; // the platform's HMODULE

// Loads `name` (a file name without a folder) from the system folder; null
// when it is not there or cannot be loaded. It stays loaded until the
// caller frees it.
SystemLibraryHandle LoadSystemLibrary(const char* name);

// Test support: the trovik.dll of this build tree, whose templates the dialog
// tests show. Windows only (built_library_win32.cpp).
#pragma once

#include <string>

#include "fs/file_name.h" // ModuleHandle

// The Windows path of the built library.
std::string BuiltLibraryPath();
// The built library, loaded once for the whole test program.
ModuleHandle BuiltLibrary();

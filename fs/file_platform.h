// The questions FileName asks the platform, kept apart so that the path logic
// builds and is tested without Windows: file_name_win32.cpp answers them with
// the Windows API, file_name_native.cpp stands in for it elsewhere (drive Z:
// is the root of the file system there, as under Wine).
#pragma once

#include "base/string.h"
#include "fs/file_name.h"

// The platform's case-insensitive ordering of two file name texts (lstrcmpiA):
// negative, zero or positive.
int PlatformCompareNames(const char* left, const char* right);
// The current drive: 0 for A, 1 for B, ...
int PlatformCurrentDriveIndex();
// The current directory, or empty when the platform cannot tell.
String PlatformCurrentDirectory();
// The module's file name (at most 255 characters), or empty on failure.
String PlatformModuleFileName(ModuleHandle module);

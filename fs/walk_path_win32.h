// The Windows side of the walk's paths (fs/walk_path.h).
#pragma once

#include <string>

// The UTF-16 form of a walk path for the platform's wide calls: the long
// form \\?\C:\... or \\?\UNC\server\share\... when it is too long for the
// plain one, which also leaves the text as it is (no '/' turned into '\', no
// "." or ".." resolved, trailing dots and spaces kept).
std::wstring PlatformPathOf(const char* walkPath);

// The Windows side of the walk's paths (fs/walk_path.h).
#pragma once

#include <string>

// The UTF-16 form of a walk path for the platform's wide calls: an absolute
// one always in the long form \\?\C:\... or \\?\UNC\server\share\..., which
// takes the text as it is (no '/' turned into '\', no "." or ".." resolved,
// trailing dots and spaces kept, no device names): walk paths are canonical.
std::wstring PlatformPathOf(const char* walkPath);

// What the native file layer shares: the POSIX path of one of the layer's
// names (fs/posix_name_form.h), and the layer's error code for a POSIX
// error, so that a failure reads as the Windows build reports it.
#pragma once

#include <cstdint>
#include <string>

// The POSIX path of a name in drive Z: form, or of one without a drive;
// false when it names another drive, which the native file system lacks.
bool PosixPathOf(const char* name, std::string* posix);

// The file layer's code (fs/file_errors.h) for `error` (an errno value);
// errors the layer does not tell apart keep their POSIX number.
int32_t FileErrorOf(int error);

// The names the file layer makes up: numbered temporary names in a directory
// and the backup name of a file about to be overwritten. Text rules only; the
// callers ask the disk which names are free.
#pragma once

#include "fs/file_name.h"

// `directory` without its trailing backslashes.
FileName WithoutTrailingBackslashes(const String& directory);

// The temporary name number `n` in `directory` (given without a trailing
// backslash): directory\XX<n>.$$$.
FileName TempNameCandidate(const String& directory, int n);

// The backup name of `name`: its extension replaced by `extension`, or, when
// `extension` is "~", by its own extension with the first character turned
// into '~' (report.bak gives report.~ak, makefile gives makefile.~).
FileName BackupName(const FileName& name, const char* extension);

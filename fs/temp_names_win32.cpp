// Temporary names in a directory, and the test whether one can be created.
#include <exception>

#include "base/exception.h"
#include "fs/derived_names.h"
#include "fs/file.h"

FileName File::MakeTempName(const String& directory) {
    const FileName stripped = WithoutTrailingBackslashes(directory);
    if (!Exists(stripped)) Raise(msgInvalidDirectory);
    for (int n = 0;; ++n) {
        FileName candidate = TempNameCandidate(stripped, n);
        if (!Exists(candidate)) return candidate;
    }
}

int File::CanCreateIn(const String& directory) {
    if (directory.empty()) return 0;
    try {
        File probe(directory, canCreateOpenMode); // deleted when its handle closes
    } catch (const std::exception&) {
        return 0;
    }
    return 1;
}

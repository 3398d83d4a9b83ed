// The names of the native trovfind's output: a record names its file by its
// walk path (drive Z: is the root, backslashes separate); the output names it
// as the user named its entry, in POSIX form. A path takes the form given
// for the longest entry that it equals or lies under (Z:\a\b lies under
// Z:\a, Z:\ab does not), with the rest of its path joined by '/'; a path
// under no entry becomes absolute (Z:\a\b is /a/b).
#pragma once

#include <string>
#include <utility>
#include <vector>

class PosixNames {
public:
    // The entry whose walk path is `walkEntry` (canonical) was given as
    // `given`.
    void Add(const std::string& walkEntry, const std::string& given);
    // The output name of the walk path `walkPath`.
    std::string Of(const std::string& walkPath) const;

private:
    // Walk path and given form, longest walk path first.
    std::vector<std::pair<std::string, std::string>> _entries;
};

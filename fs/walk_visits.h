// What a walk over several entries has reached, so that nothing is walked or
// searched twice when entries overlap (D:\src and D:\src\lib, or a file named
// on its own and through its folder) or when links lead back into the walk:
// the real folders walked, by volume and file index, and the files named on
// their own that were taken, by their folder's identity and their name as the
// file system compares it. A folder walked has had every file taken that
// `folderTypes` takes. Asking a folder's identity costs an open: a walk keeps
// visits only when it can reach a folder twice (byIdentity, or links followed).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "fs/file_types.h"

using FolderKey = std::pair<uint64_t, uint64_t>; // volume, file index

struct WalkVisits {
    bool byIdentity = false; // keep the visits although links are not followed
    FileTypes folderTypes;   // what the walk takes from the folders it walks
    std::set<FolderKey> folders;
    std::set<std::tuple<uint64_t, uint64_t, std::u16string>> namedFiles;

    void Clear() {
        folders.clear();
        namedFiles.clear();
    }
};

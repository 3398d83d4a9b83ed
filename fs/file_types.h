// The file types of a walk: the masks (fs/mask_match.h) that pick the files
// out, and the exclusions. A mask that starts with `!` leaves out what it
// fits; a mask that ends in `\` is about folders, by their name:
//  - `*.c`        a file whose name fits is searched;
//  - `!*.min.js`  a file whose name fits is left out;
//  - `!obj\`      a folder whose name fits is left out, at any depth, and
//                 never listed;
//  - `.github\`   a folder whose name fits is walked even though its name
//                 begins with '.' (such folders are otherwise passed over).
// Exclusions win over inclusions. Without any file mask but exclusions, every
// file is taken that no exclusion leaves out ("everything but"). Empty masks
// count for nothing. Masks are in the walk's form (UTF-8).
#pragma once

#include <string>
#include <vector>

#include "fs/mask_match.h"

class FileTypes {
public:
    FileTypes() = default;
    explicit FileTypes(const std::vector<std::string>& masks);

    // True when a file of this name is searched.
    bool TakesFile(const char* name) const;
    // True when a folder of this name is left out of the walk.
    bool LeavesOutFolder(const char* name) const;
    // True when a folder of this name is walked although it begins with '.'.
    bool LetsInFolder(const char* name) const;

private:
    static bool AnyFits(const std::vector<NameMask>& masks, const char* name);

    std::vector<NameMask> _files;          // inclusions
    bool _everyFile = false;               // no inclusion, but exclusions
    std::vector<NameMask> _filesLeftOut;   // `!mask`
    std::vector<NameMask> _foldersLeftOut; // `!mask\`
    std::vector<NameMask> _foldersLetIn;   // `mask\`
};

#include "fs/file_types.h"

FileTypes::FileTypes(const std::vector<std::string>& masks) {
    for (std::string mask : masks) {
        const bool exclusion = !mask.empty() && mask[0] == '!';
        if (exclusion) mask.erase(0, 1);
        const bool folder = !mask.empty() && mask.back() == '\\';
        if (folder) mask.pop_back();
        if (mask.empty()) continue;
        std::vector<NameMask>& kind = folder ? (exclusion ? _foldersLeftOut : _foldersLetIn)
                                             : (exclusion ? _filesLeftOut : _files);
        kind.emplace_back(mask);
    }
    _everyFile = _files.empty() && !(_filesLeftOut.empty() && _foldersLeftOut.empty());
}

bool FileTypes::AnyFits(const std::vector<NameMask>& masks, const char* name) {
    for (const NameMask& mask : masks)
        if (mask.Fits(name)) return true;
    return false;
}

bool FileTypes::TakesFile(const char* name) const {
    return (_everyFile || AnyFits(_files, name)) && !AnyFits(_filesLeftOut, name);
}

bool FileTypes::LeavesOutFolder(const char* name) const {
    return AnyFits(_foldersLeftOut, name);
}

bool FileTypes::LetsInFolder(const char* name) const {
    return AnyFits(_foldersLetIn, name) && !LeavesOutFolder(name);
}

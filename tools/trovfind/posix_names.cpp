#include "tools/trovfind/posix_names.h"

#include <algorithm>

#include "fs/posix_name_form.h"

namespace {

bool IsDriveRoot(const std::string& walkPath) {
    return walkPath.size() == 3 && walkPath[1] == ':' && walkPath[2] == '\\';
}

// `head` followed by the rest of a walk path after `length` bytes in POSIX
// form, made in one string (a name is made for every file with hits).
std::string WithPosixRest(const std::string& head, const std::string& walkPath, size_t length) {
    std::string name;
    name.reserve(head.size() + walkPath.size() - length);
    name.append(head).append(walkPath, length, std::string::npos);
    ToPosixForm(name, head.size());
    return name;
}

} // namespace

void PosixNames::Add(const std::string& walkEntry, const std::string& given) {
    std::string form = given;
    // The walk's form of a folder has no closing separator but a root's.
    if (IsDriveRoot(walkEntry)) {
        if (form.empty() || form.back() != '/') form += '/';
    } else {
        while (form.size() > 1 && form.back() == '/')
            form.pop_back();
    }
    auto longer = [&](const std::pair<std::string, std::string>& entry) {
        return entry.first.size() >= walkEntry.size();
    };
    const auto at = std::partition_point(_entries.begin(), _entries.end(), longer);
    _entries.insert(at, {walkEntry, form});
}

std::string PosixNames::Of(const std::string& walkPath) const {
    for (const auto& entry : _entries) {
        const std::string& prefix = entry.first;
        if (walkPath.compare(0, prefix.size(), prefix) != 0) continue;
        if (walkPath.size() == prefix.size()) return entry.second;
        if (IsDriveRoot(prefix) || walkPath[prefix.size()] == '\\')
            return WithPosixRest(entry.second, walkPath, prefix.size());
    }
    const size_t drive = walkPath.size() >= 2 && walkPath[1] == ':' ? 2 : 0;
    return WithPosixRest(std::string(), walkPath, drive);
}

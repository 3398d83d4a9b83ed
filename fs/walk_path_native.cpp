// The walk's paths natively: the file system names files in bytes, UTF-8 on
// the systems the native build runs on, which is the walk's form already.
#include <sys/stat.h>

#include "fs/find_data.h"
#include "fs/walk_path.h"

int hostPathsInUtf8 = 1;

String WalkPathOf(const String& hostPath) {
    return hostPath;
}

String HostPathOf(const String& walkPath) {
    return walkPath;
}

int32_t AttributesOfWalkPath(const String& walkPath) {
    std::string posix = walkPath;
    if (posix.size() >= 2 && posix[1] == ':') posix.erase(0, 2); // drive Z: is the root
    for (char& c : posix)
        if (c == '\\') c = '/';
    struct stat status;
    if (stat(posix.c_str(), &status) != 0) return -1;
    return S_ISDIR(status.st_mode) ? fileAttributeDirectory : fileAttributeArchive;
}

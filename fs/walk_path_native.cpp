// The walk's paths natively: the file system names files in bytes, UTF-8 on
// the systems the native build runs on, which is the walk's form already.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "fs/find_data.h"
#include "fs/posix_file.h"
#include "fs/posix_name_form.h"
#include "fs/walk_path.h"

String WalkPathOf(const String& hostPath, int) {
    return hostPath;
}

String HostPathOf(const String& walkPath, int) {
    return walkPath;
}

bool HostPathIsWalkPath(const String&, int) {
    return true;
}

int64_t SizeOfWalkPath(const String& walkPath) {
    std::string posix;
    struct stat status;
    if (!PosixPathOf(walkPath.c_str(), &posix) || stat(posix.c_str(), &status) != 0) return -1;
    return int64_t(status.st_size);
}

int32_t AttributesOfWalkPath(const String& walkPath) {
    std::string posix;
    struct stat status;
    if (!PosixPathOf(walkPath.c_str(), &posix) || stat(posix.c_str(), &status) != 0) return -1;
    return S_ISDIR(status.st_mode) ? fileAttributeDirectory : fileAttributeArchive;
}

String CurrentWalkDirectory() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr) return String("Z:\\");
    std::string current = "Z:" + LayerFormOf(buffer);
    if (current.size() > 3 && current.back() == '\\') current.pop_back();
    return String(current);
}

// The native file system keeps no short names.
String LongNamesOf(const String& walkPath) {
    return walkPath;
}

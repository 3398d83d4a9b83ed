// The directory enumeration on a POSIX system, for the native build. It gives
// the entries what the Windows emulation gives them: drive Z: is the root of
// the file system, backslashes separate, a name beginning with a dot carries
// the hidden attribute, files carry the archive attribute, and a symbolic
// link to a folder is a folder with the reparse-point attribute.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "fs/directory_enumeration.h"

namespace {

// The POSIX path of a Windows-style one; false when it names another drive.
bool ToPosixPath(const char* path, std::string* posix) {
    if (path[0] != '\0' && path[1] == ':') {
        if (path[0] != 'Z' && path[0] != 'z') return false;
        path += 2;
    }
    *posix = path;
    for (char& c : *posix)
        if (c == '\\') c = '/';
    return true;
}

void PackDosDateTime(time_t when, uint16_t* dosTime, uint16_t* dosDate) {
    struct tm local;
    *dosTime = 0;
    *dosDate = 0;
    if (localtime_r(&when, &local) == nullptr) return;
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 1980 + 127) return;
    *dosTime =
        static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    *dosDate =
        static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
}

// Describes `directory`/`name`; false when it cannot be read.
bool Describe(const std::string& directory, const char* name, FindData* entry) {
    const std::string path = directory + "/" + name;
    struct stat status;
    struct stat link;
    if (stat(path.c_str(), &status) != 0 || lstat(path.c_str(), &link) != 0) return false;
    uint32_t attributes = S_ISDIR(status.st_mode) ? fileAttributeDirectory : fileAttributeArchive;
    const bool folderLink = S_ISDIR(status.st_mode) && S_ISLNK(link.st_mode);
    if (folderLink) attributes |= fileAttributeReparsePoint;
    if (name[0] == '.' && strcmp(name, ".") != 0 && strcmp(name, "..") != 0)
        attributes |= fileAttributeHidden;
    if ((status.st_mode & S_IWUSR) == 0) attributes |= fileAttributeReadOnly;
    entry->_reparseTag = folderLink ? reparseTagSymlink : 0;
    entry->_size = static_cast<uint32_t>(status.st_size);
    entry->_attributes = attributes;
    PackDosDateTime(status.st_mtime, &entry->_time, &entry->_date);
    const size_t length = strnlen(name, findDataNameSize - 1);
    memcpy(entry->_name, name, length);
    entry->_name[length] = '\0';
    return true;
}

// Splits an enumeration path into its directory and its pattern.
bool SplitPath(const char* path, std::string* directory, std::string* pattern) {
    std::string posix;
    if (!ToPosixPath(path, &posix)) return false;
    const size_t slash = posix.rfind('/');
    if (slash == std::string::npos) {
        *directory = ".";
        *pattern = posix;
    } else {
        *directory = slash == 0 ? "/" : posix.substr(0, slash);
        *pattern = posix.substr(slash + 1);
    }
    return true;
}

} // namespace

int IdentityOfFolder(const char* path, FolderIdentity* identity) {
    std::string posix;
    struct stat status;
    if (!ToPosixPath(path, &posix) || stat(posix.c_str(), &status) != 0) return 0;
    identity->volume = static_cast<uint64_t>(status.st_dev);
    identity->index = static_cast<uint64_t>(status.st_ino);
    return 1;
}

DirectoryEnumeration::DirectoryEnumeration(const char* path)
    : _path(path), _handle(nullptr), _finished(0) {}

DirectoryEnumeration::~DirectoryEnumeration() {
    if (_handle != nullptr) closedir(static_cast<DIR*>(_handle));
}

int DirectoryEnumeration::Next(FindData* entry) {
    std::string directory;
    std::string pattern;
    if (_finished || !SplitPath(_path, &directory, &pattern)) {
        _finished = 1;
        return 0;
    }
    if (pattern != "*.*") {
        // One exact name: at most one entry.
        _finished = 1;
        return Describe(directory, pattern.c_str(), entry) && IsEnumerated(entry->_attributes);
    }
    if (_handle == nullptr) {
        _handle = opendir(directory.c_str());
        if (_handle == nullptr) {
            _finished = 1;
            _failed = errno != ENOENT && errno != ENOTDIR;
            return 0;
        }
    }
    errno = 0;
    while (const dirent* found = readdir(static_cast<DIR*>(_handle))) {
        if (Describe(directory, found->d_name, entry) && IsEnumerated(entry->_attributes)) return 1;
        errno = 0;
    }
    _finished = 1;
    _failed = errno != 0; // readdir gives null with errno kept at its end
    return 0;
}

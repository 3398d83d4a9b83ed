// The directory enumeration on a POSIX system, for the native build. It gives
// the entries what the Windows emulation gives them: drive Z: is the root of
// the file system, backslashes separate (a backslash within a name is spelt
// as fs/posix_name_form.h says), a name beginning with a dot carries
// the hidden attribute, files carry the archive attribute, and a symbolic
// link to a folder is a folder with the reparse-point attribute. The listing
// tells folders and files apart by the entry's type, so that neither a
// folder nor a regular file needs a look-up: a regular file's size is left
// unread (fileAttributeSizeUnlisted), as the open that searches it reads it
// anyway. Only links, and entries of a file system that gives no type, are
// looked up, relative to the open directory. The times and the read-only
// attribute, which the walk does not read, are left at 0.
//
// The entries come in Wine's order, so that a walk reaches files in the
// order the Windows build does under Wine and both give the same records:
// by their names compared as the file system compares them (every UTF-16
// unit upcased, fs/name_case.h), names equal but for case by their bytes.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "fs/directory_enumeration.h"
#include "fs/name_case.h"
#include "fs/posix_file.h"
#include "fs/posix_name_form.h"

namespace {

// The status of `name` in the directory open as `directory` (or AT_FDCWD
// for a path), links followed; `linked` tells whether the name itself is a
// link. `type` is the entry's type as listed, DT_UNKNOWN when not known.
bool StatusOf(int directory, const char* name, unsigned char type, struct stat* status,
              bool* linked) {
    *linked = type == DT_LNK;
    if (type == DT_UNKNOWN) {
        if (fstatat(directory, name, status, AT_SYMLINK_NOFOLLOW) != 0) return false;
        *linked = S_ISLNK(status->st_mode);
        if (!*linked) return true;
    }
    return fstatat(directory, name, status, *linked ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

// Describes the entry `name` of type `type`, found as `lookup` from
// `directory`; false when it cannot be read (gone since it was listed, or a
// link that leads nowhere).
bool Describe(int directory, const char* lookup, const char* name, unsigned char type,
              FindData* entry) {
    uint32_t attributes = fileAttributeArchive;
    entry->_size = 0;
    entry->_reparseTag = 0;
    if (type == DT_DIR) {
        attributes = fileAttributeDirectory;
    } else if (type == DT_REG) {
        attributes |= fileAttributeSizeUnlisted;
    } else if (type == DT_LNK || type == DT_UNKNOWN) {
        struct stat status;
        bool linked;
        if (!StatusOf(directory, lookup, type, &status, &linked)) return false;
        if (S_ISDIR(status.st_mode)) {
            attributes = fileAttributeDirectory;
            if (linked) attributes |= fileAttributeReparsePoint;
            entry->_reparseTag = linked ? uint32_t(reparseTagSymlink) : 0;
        } else if (S_ISREG(status.st_mode)) {
            entry->_size = static_cast<uint32_t>(status.st_size);
        }
    } // Devices, pipes and sockets are files without a size: the walk passes
      // over them as it passes over empty files.
    if (name[0] == '.' && strcmp(name, ".") != 0 && strcmp(name, "..") != 0)
        attributes |= fileAttributeHidden;
    entry->_attributes = attributes;
    entry->_time = 0;
    entry->_date = 0;
    const std::string layerName = LayerFormOf(name);
    const size_t length = std::min(layerName.size(), size_t(findDataNameSize - 1));
    memcpy(entry->_name, layerName.data(), length);
    entry->_name[length] = '\0';
    return true;
}

// A directory's entries, read whole and sorted, and the directory kept open
// for the look-ups relative to it.
struct Listing {
    struct Entry {
        std::u16string key; // the name as the file system compares it
        std::string name;
        unsigned char type;
        bool operator<(const Entry& other) const {
            const int order = key.compare(other.key);
            return order != 0 ? order < 0 : name < other.name;
        }
    };

    DIR* directory;
    std::vector<Entry> entries;
    size_t next = 0;

    explicit Listing(DIR* opened) : directory(opened) {}
    ~Listing() { closedir(directory); }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    // Reads every entry; false when the listing failed part-way.
    bool Read() {
        errno = 0;
        while (const dirent* found = readdir(directory)) {
            entries.push_back(Entry{UpcasedName(found->d_name), found->d_name, found->d_type});
            errno = 0;
        }
        if (errno != 0) return false; // readdir gives null with errno kept at its end
        std::sort(entries.begin(), entries.end());
        return true;
    }
};

// Splits an enumeration path into its directory and its pattern.
bool SplitPath(const char* path, std::string* directory, std::string* pattern) {
    std::string posix;
    if (!PosixPathOf(path, &posix)) return false;
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
    if (!PosixPathOf(path, &posix) || stat(posix.c_str(), &status) != 0) return 0;
    identity->volume = static_cast<uint64_t>(status.st_dev);
    identity->index = static_cast<uint64_t>(status.st_ino);
    return 1;
}

DirectoryEnumeration::DirectoryEnumeration(const char* path)
    : _path(path), _handle(nullptr), _finished(0) {}

DirectoryEnumeration::~DirectoryEnumeration() {
    delete static_cast<Listing*>(_handle);
}

int DirectoryEnumeration::Next(FindData* entry) {
    if (_finished) return 0;
    if (_handle == nullptr) {
        std::string directory;
        std::string pattern;
        _finished = 1;
        if (!SplitPath(_path, &directory, &pattern)) return 0;
        if (pattern != "*.*") {
            // One exact name: at most one entry.
            const std::string path = directory + "/" + pattern;
            return Describe(AT_FDCWD, path.c_str(), pattern.c_str(), DT_UNKNOWN, entry) &&
                   IsEnumerated(entry->_attributes);
        }
        DIR* opened = opendir(directory.c_str());
        if (opened == nullptr) {
            _failed = errno != ENOENT && errno != ENOTDIR;
            return 0;
        }
        Listing* listing = new Listing(opened);
        _handle = listing;
        // A listing that fails part-way delivers nothing, as under Wine,
        // which reads a directory whole before its first entry.
        if (!listing->Read()) {
            _failed = 1;
            return 0;
        }
        _finished = 0;
    }
    Listing* listing = static_cast<Listing*>(_handle);
    while (listing->next < listing->entries.size()) {
        const Listing::Entry& found = listing->entries[listing->next++];
        const char* name = found.name.c_str();
        if (Describe(dirfd(listing->directory), name, name, found.type, entry) &&
            IsEnumerated(entry->_attributes))
            return 1;
    }
    _finished = 1;
    return 0;
}

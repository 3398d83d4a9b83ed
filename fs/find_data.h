// The description of one directory entry, as the directory enumeration fills
// it and as the scanner's callbacks receive it. The layout is byte-packed with
// the exact field widths below, so it is the same in every build.
#pragma once

#include <cstdint>

enum FileAttribute : uint32_t {
    fileAttributeReadOnly = 0x01,
    fileAttributeHidden = 0x02,
    fileAttributeSystem = 0x04,
    fileAttributeDirectory = 0x10,
    fileAttributeArchive = 0x20,
    fileAttributeReparsePoint = 0x400, // a reparse point: a link, or a placeholder of a
                                       // cloud store, a deduplicated folder, ...
    // Not the platform's: set by a listing that leaves a regular file's size
    // unread (_size is then 0), the native one, whose entries carry only
    // their type. The file's size is known once it is opened.
    fileAttributeSizeUnlisted = 0x80000000,
};

// The reparse tags of links (a junction is a mount point).
enum ReparseTag : uint32_t {
    reparseTagMountPoint = 0xA0000003,
    reparseTagSymlink = 0xA000000C,
};

enum { findDataNameSize = 256 }; // an entry name of at most 255 characters and its NUL

#pragma pack(push, 1)
struct FindData {
    uint32_t _reparseTag; // the reparse point's tag, with fileAttributeReparsePoint; else 0
    uint32_t _size;       // file size in bytes: the low 32 bits of the real size
    uint32_t _attributes; // FileAttribute bits as the platform reports them
    uint16_t _time;       // last write, local time, DOS form: hour 5, minute 6, second/2 5 bits
    uint16_t _date;       // last write, local time, DOS form: year-1980 7, month 4, day 5 bits
    char _name[findDataNameSize]; // the entry's name without its directory, UTF-8, NUL-terminated
};
#pragma pack(pop)

static_assert(sizeof(FindData) == 272, "FindData is byte-packed: 4+4+4+2+2+256 bytes");

// Whether the entry is a link (a junction or a symbolic link): only links
// are passed over by the walk; other reparse points are read as what they
// are. Windows always tells a reparse point's tag; Wine tells none (0) for
// the Unix symlinks it shows as reparse points, which are links.
inline int IsLinkEntry(const FindData& entry) {
    return (entry._attributes & fileAttributeReparsePoint) != 0 &&
           (entry._reparseTag == 0 || entry._reparseTag == reparseTagMountPoint ||
            entry._reparseTag == reparseTagSymlink);
}

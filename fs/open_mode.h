// The open-mode word of File: which access the open asks for, what it lets
// other openers do, whether it creates the file, and a few hints. Bits not
// listed mean nothing. The open completes the word (CompleteOpenMode) and
// keeps the completed word; TranslateOpenMode turns a completed word into the
// four values the platform's open takes.
#pragma once

#include <cstdint>

enum OpenModeBit : uint32_t {
    openNoAccess = 0x1,        // attributes and times only
    openRead = 0x2,            //
    openWrite = 0x4,           //
    openReadWrite = 0x8,       // also makes a mapping of the file writable
    openCreate = 0x10,         // create, replacing an existing file; without it the file must exist
    openShareRead = 0x20,      // others may read
    openShareWrite = 0x40,     // others may write
    openShareReadWrite = 0x80, // others may read and write
    openShareNone = 0x100,     // others may not open the file at all
    openDeleteOnClose = 0x200, // the file goes when its handle closes
    openTempName = 0x400,      // the name is a directory: open a new temporary name in it
    openClearReadOnly = 0x800, // clear the read-only attribute for the open, set it again at Close
    openTemporary = 0x2000000, // temporary-file attribute
    openHidden = 0x4000000,    // hidden-file attribute
    openWriteThrough = 0x8000000,
    openRandomAccess = 0x10000000,
    openSequentialScan = 0x20000000,
    openWalkPath = 0x40000000, // the name is a walk path (fs/walk_path.h): UTF-8, any length
};

// Modes the library itself opens with.
enum : uint32_t {
    searchOpenMode = openSequentialScan | openShareRead | openRead, // 0x20000022
    probeOpenMode = openShareNone | openRead,                       // 0x102
    canCreateOpenMode = openTempName | openDeleteOnClose,           // 0x600
    readWholeOpenMode = openShareReadWrite | openRead,              // 0x82
    writeWholeOpenMode = openCreate,                                // 0x10
    readTimesOpenMode = openNoAccess,                               // 0x1
    writeTimesOpenMode = openReadWrite,                             // 0x8
};

// Adds read and write (0x8) when no access bit is set and "others may read"
// (0x20) when no sharing bit is set; a word with 0x400 gets 0x10 as well.
uint32_t CompleteOpenMode(uint32_t mode);

// The platform's open parameters for a completed mode word, in Win32 terms:
// desired access, share mode, creation disposition, flags and attributes.
// Access and sharing bits add up, so 0x2 | 0x4 asks for both.
struct OpenParameters {
    uint32_t access;
    uint32_t share;
    uint32_t creation;
    uint32_t flags;
};
OpenParameters TranslateOpenMode(uint32_t mode);

// The Win32 values TranslateOpenMode produces, for code that cannot include
// the Windows headers; file_win32.cpp checks them against those headers.
namespace win32_open {
enum : uint32_t {
    genericRead = 0x80000000,
    genericWrite = 0x40000000,
    shareRead = 0x1,
    shareWrite = 0x2,
    createAlways = 2,
    openExisting = 3,
    attributeHidden = 0x2,
    attributeNormal = 0x80,
    attributeTemporary = 0x100,
    flagWriteThrough = 0x80000000,
    flagRandomAccess = 0x10000000,
    flagSequentialScan = 0x8000000,
    flagDeleteOnClose = 0x4000000,
};
} // namespace win32_open

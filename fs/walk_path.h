// The paths of the walk: the directories and files that a search lists and
// opens are named in UTF-8, of any length, so that a name the ANSI code page
// cannot spell (日本.txt on a Western system) and a path longer than the
// platform's 260 characters are listed and opened all the same. The Windows
// layer turns a walk path into the platform's long form (\\?\C:\...) where it
// is needed. Natively the file system's names are already such bytes.
//
// The host's form is how the search's host names files: in the ANSI code
// page (the library's entry points, the dialog, TROVIK.INI), or in UTF-8
// when the host says so (trovfind on a UTF-8 terminal). ASCII is the same in
// both forms, so the common path costs a scan and nothing else.
#pragma once

#include <cstdint>

#include "base/string.h"

// The longest walk path, in bytes without the NUL: the platform's long form
// holds 32,767 UTF-16 units, a few of them its prefix. A path that would be
// longer is not walked and is counted as not read.
enum { maxWalkPathBytes = 32000 };

// The walk form of a path in the host's form. `hostUtf8`: the host names
// files in UTF-8 (else in the ANSI code page).
String WalkPathOf(const String& hostPath, int hostUtf8);

// The host's form of a walk path, to name a file in a hit record or a
// progress text: the path itself when the code page spells every character
// of it; otherwise its short 8.3 form where the volume keeps short names
// and that form leads back to the same file (same volume and file index:
// the host can open it again); otherwise the
// code page's form, with '?' for each character it cannot spell (which names
// the file for a reader only). With `hostUtf8`, the walk path itself.
String HostPathOf(const String& walkPath, int hostUtf8);

// Whether HostPathOf(walkPath, hostUtf8) is the walk path itself, which the
// caller may then use as it is instead of a copy (every file searched asks).
bool HostPathIsWalkPath(const String& walkPath, int hostUtf8);

// The current directory as a walk path (absolute, no closing separator but
// a drive root's).
String CurrentWalkDirectory();

// `walkPath` (absolute, canonical) with every 8.3 short name in it replaced
// by the long name of what it names; the path itself when a part is missing.
String LongNamesOf(const String& walkPath);

// The whole size of the file at a walk path; -1 when there is none (or its
// size cannot be read). (A listing's entry holds only the low 32 bits of a
// size.)
int64_t SizeOfWalkPath(const String& walkPath);

// The attributes of the file or folder at a walk path (the platform's bits,
// FileAttribute of fs/find_data.h among them), or -1 when there is none.
int32_t AttributesOfWalkPath(const String& walkPath);

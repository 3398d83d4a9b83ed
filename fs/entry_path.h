// The entries of a search (the directories and files the user names) in the
// walk's form: made canonical in one place, for the library's runs and
// trovfind alike. The walk lists and opens every path through the
// platform's long form, which takes a path exactly as written: ".", "..",
// doubled or forward separators and relative paths have to be resolved
// before, and an 8.3 short name in an entry is made long, so that a name the
// library printed leads back to its file.
#pragma once

#include <cstddef>

#include "base/string.h"

// The longest entry, in characters (UTF-16 units) as written. A longer one
// is refused, never cut or passed over without a trace.
enum { maxEntryCharacters = 257 };

// The UTF-16 units of a UTF-8 text (a character beyond the BMP takes two).
size_t Utf16Length(const String& utf8);

// `path` (a walk path, '/' or '\' as separators) made absolute and
// canonical: '/' becomes '\', doubled separators are one, "." parts go and
// ".." parts take the part before them with them (never the root), and no
// separator closes it but a drive root's ("D:\"). A relative path is taken
// from `currentDirectory` (an absolute canonical path); one that starts at
// a root ("\src") from that directory's drive or share, and "D:src" from
// the current directory when it is on D:, else from D:'s root; "D:" alone
// is D:'s root. Names keep
// their trailing dots and spaces: "x." is not "x". A path in the long form
// (\\?\...) stays as it is.
String CanonicalPath(const String& path, const String& currentDirectory);

// The walk path of the entry `hostEntry` (in the host's form: UTF-8 when
// `hostUtf8`, else the ANSI code page): canonical, with its short names made
// long. Returns 0, and leaves `walkPath` alone, when the entry is longer
// than maxEntryCharacters.
int EntryWalkPath(const String& hostEntry, int hostUtf8, String& walkPath);

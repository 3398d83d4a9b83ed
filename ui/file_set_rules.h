// The rules of file sets and set names that need no window and no file: the
// stored and display forms of a directory list, the stored form of file
// types, section names, trimming, the classes of a set name and the state of
// the Save/Update and Remove buttons that follows from them.
#pragma once

#include <cstddef>

#include "base/string.h"

// ---- Directory lists

// The stored form of the list field's text: each line, cut at ';' into
// entries, each entry without spaces and tabs at its ends, the non-empty
// entries joined by ';', and one more ';' when a line end follows the last
// entry. Spaces and commas inside an entry stay. At most `maxLength`
// characters: the first entries that fit whole are kept, and `leftOut` (when
// given) gets the number of those after them that were left out.
String StoredDirList(const String& displayText, size_t maxLength, int* leftOut);
// The display form of a stored list: every ';' becomes CR LF. Entries that
// would carry the text beyond `maxLength` characters are left out whole,
// with everything after them.
String DisplayDirList(const String& stored, size_t maxLength);
// `path` and CR LF put in front of `listText`. Returns 0, leaving `result`
// alone, when the new text would exceed `maxLength` characters.
int PrependListLine(const String& path, const String& listText, size_t maxLength, String& result);

// ---- File types

// The stored form of the file-types field: ',' becomes ';', a ';' is kept
// only when neither another ';' nor the end follows it, spaces go.
String StoredFileTypes(const String& fieldText);

// ---- Names

// "DirSet" and the name with every character but an ASCII letter or digit
// replaced by '_'.
String SetSectionName(const String& setName);
// Removes the spaces (only 0x20) at both ends, or with `all` every space.
void TrimSpaces(String& text, int all);
// ASCII case-insensitive equality (only a to z fold).
int EqualNoCase(const String& left, const String& right);

enum SetNameKind { setNameEmpty, setNameNew, setNameExisting };

// The state of IDC_SAVE_SET (Save/Update) and IDC_REMOVE_SET for a set name of
// `kind` and the fileSetModified flag.
struct SetButtonState {
    int saveEnabled;
    const char* saveCaption; // null: leave the caption as it is
    int removeEnabled;
};
SetButtonState SetButtonsFor(SetNameKind kind, int fileSetModified);

extern const char saveCaption[];    // "S&ave"
extern const char updateCaption[];  // "Upd&ate"
extern const char lastOneSetName[]; // "LastOne": the set of the last confirmed search

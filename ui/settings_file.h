// The settings file TROVIK.INI and its operations: the six switches, the
// histories of searched texts and file types, the list of set names and the
// file sets, each in its section. Writes go straight to the file; a write
// that fails is told once per library load (by the dialog, which owns the
// box) and otherwise ignored, so the dialog goes on as if it had succeeded.
//
// The platform's reader drops a pair of quotes around a value and the blanks
// at its ends, and a line end in a value would start a line of its own: every
// value is written in a form that reads back as it was (FileValue).
//
// Sections and keys:
//   [Settings]      OnlyFile RegEx CaseSensitive WholeWord Stat KeepMess (0/1), LastSet,
//                   Threads (read only)
//   [Searched]      String0..String14, most recent first
//   [FileTypeHist]  FileType0..FileType14
//   [SetList]       Set0..Set511, then one key with an empty value
//   [DirSet<name>]  DirList (entries joined by ';'), FileType, SubDir; name as SetSectionName
#pragma once

#include <cstddef>

#include "base/string.h"
#include "fs/file_name.h" // ModuleHandle
#include "ui/combo_field.h"
#include "ui/profile_store.h"
#include "ui/search_settings.h"

// Section "Settings" and its keys.
extern const char settingsSection[]; // "Settings"
extern const char lastSetKey[];      // "LastSet"
extern const char threadsKey[];      // "Threads"

// History sizes: the texts and file types keep 15 entries, the set list 512.
enum { maxHistoryCount = 15, maxSetCount = 512 };

// A list that the settings file keeps: its section, the prefix of its
// numbered keys, the longest value and the most keys, and whether a list that
// ends early is closed by one key with an empty value.
struct HistoryList {
    const char* section;
    const char* prefix;
    size_t maxLength;
    int maxCount;
    int terminated;
};
extern const HistoryList searchedTexts;   // [Searched] String0..String14
extern const HistoryList fileTypeHistory; // [FileTypeHist] FileType0..FileType14
extern const HistoryList setNames;        // [SetList] Set0..Set511 and an empty key

// The six switches, in the order OK writes them, with their keys.
struct SwitchKey {
    const char* key;
    int SearchSettingsRecord::*member;
};
extern const SwitchKey switchKeys[6]; // OnlyFile RegEx CaseSensitive Stat KeepMess WholeWord

// ---- Paths and switches

// The first call after the library was loaded builds SettingsPath and
// HelpPath beside the library's own file (`module`, as its start-up recorded
// it, so that a library stored under another file name finds its files) and
// reads the six switches and the run forms; later calls do nothing. Windows
// only.
void LoadSettings(SearchSettingsRecord& settings, ModuleHandle module);

// SettingsPath and HelpPath from the full path of the library's own file:
// its file name replaced by TROVIK.INI, TROVIK.HLP and TROVIK.HTM. A path without a
// backslash is replaced whole.
void SetSettingsPaths(SearchSettingsRecord& settings, const String& modulePath);
// Reads the six switches from "Settings" (default 0 each), and Threads.
void ReadSwitches(SearchSettingsRecord& settings, ProfileStore& store);
// The run forms of the directory list and file types, and SubDir, as the
// last confirmed search left them in "DirSetLastOne": what a search without
// the dialog walks until a dialog is confirmed.
void ReadRunForms(SearchSettingsRecord& settings, ProfileStore& store);

// ---- Writes

// What is written for `value`: the value cut at its first CR or LF (the
// reader would take the rest for lines of their own); then, when the reader
// would change its ends (a blank, or the same quote character at both ends),
// the value inside one more pair of double quotes, which the reader drops.
String FileValue(const char* value);

// Writes the key with FileValue. A failure is otherwise ignored; the first
// one since the library was loaded is kept for WriteFailureNotice.
void WriteSetting(ProfileStore& store, const char* section, const char* key, const char* value);
void WriteSetting(ProfileStore& store, const char* section, const char* key, int value);
// The text that tells the first failed write since the library was loaded,
// naming the file; empty when no write failed or the failure was told.
// Returns it once.
String WriteFailureNotice(const ProfileStore& store);
// Lets the next failed write be told again (tests).
void ResetWriteFailureReport();

// ---- Histories and the set list, kept in the dialog's combo fields

// Empties the field's edit text, then appends the values of prefix0,
// prefix1, ... (each cut to maxLength) in key order, stopping at the first
// missing or empty value or after maxCount keys. The edit text becomes
// `initialText` when that is given and not empty; an initial text that is
// given but empty selects the first entry read; without one it stays empty.
void LoadHistory(ProfileStore& store, const HistoryList& list, ComboField& field,
                 const String* initialText);
// Writes the entries in list order as prefix0, prefix1, ... up to the first
// empty entry, the list's end or maxCount keys; a terminated list that ends
// early is followed by one key with an empty value.
void SaveHistory(ProfileStore& store, const HistoryList& list, ComboField& field);
// Puts the field's edit text, without leading and trailing spaces, at the top
// of its list. An empty text changes nothing; nor does a text that already is
// the first entry (even in another case, when not `exact`). Found further
// down, that entry moves up and the edit text becomes the trimmed text.
void PromoteEntry(ComboField& field, int exact);
// Adds the field's edit text, trimmed, to the list unless it is already there
// (without regard to case) or empty. Returns 1 when it was added.
int AddSetName(ComboField& field);
// Deletes the first entry equal to `text`, if any.
void RemoveEntry(ComboField& field, const String& text, int exact);
// The index of the first entry equal to `text`, or -1. Exact: byte for byte;
// otherwise ASCII letters compare without regard to case.
int FindEntry(const ComboField& field, const String& text, int exact);

// ---- File sets

// What the dialog shows of a file set: the list as CR LF lines, the file
// types as one line, the subdirectory switch.
struct FileSetFields {
    String list;
    String fileTypes;
    int subDir = 1;
};

// Reads the set's section (SetSectionName; "LastOne" for the last search).
// A missing section gives an empty list, "*.*" and 1. The run forms are not
// touched: only a confirmed search changes what a search without the dialog
// walks.
FileSetFields LoadFileSet(ProfileStore& store, const String& setName);
// Writes `fields` into the set's section in stored form; with `runForms`
// the stored texts and the switch also become the run forms and SubDir.
// The stored list keeps the first entries that fit in 16384 characters;
// returns the number of entries left out after them.
int SaveFileSet(ProfileStore& store, const String& setName, const FileSetFields& fields,
                SearchSettingsRecord* runForms);

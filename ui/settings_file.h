// The settings file TROVIK.INI and its operations: the six switches, the
// histories of searched texts and file types, the list of set names and the
// file sets, each in its section. Writes go straight to the file; a write
// that fails is reported once per library load and otherwise ignored, so the
// dialog goes on as if it had succeeded.
//
// Sections and keys:
//   [Settings]      OnlyFile RegEx CaseSensitive WholeWord Stat KeepMess (0/1), LastSet
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

// History sizes: the texts and file types keep 15 entries, the set list 512.
enum { maxHistoryCount = 15, maxSetCount = 512 };

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
// reads the six switches; later calls do nothing. Windows only.
void LoadSettings(SearchSettingsRecord& settings, ModuleHandle module);

// SettingsPath and HelpPath from the full path of the library's own file:
// its file name replaced by TROVIK.INI and TROVIK.HLP. A path without a
// backslash is replaced whole.
void SetSettingsPaths(SearchSettingsRecord& settings, const String& modulePath);
// Reads the six switches from "Settings" (default 0 each).
void ReadSwitches(SearchSettingsRecord& settings, ProfileStore& store);

// ---- Writes

// Writes the key; a failure is reported once per library load with a
// message box naming the file, and is otherwise ignored.
void WriteSetting(ProfileStore& store, const char* section, const char* key, const char* value);
void WriteSetting(ProfileStore& store, const char* section, const char* key, int value);
// Lets the next failed write report again (tests).
void ResetWriteFailureReport();

// ---- Histories and the set list, kept in the dialog's combo fields

// Empties the field's edit text, then appends the values of prefix0,
// prefix1, ... (each cut to `maxLength`) in key order, stopping at the first
// missing or empty value or after `maxCount` keys. The edit text becomes
// `initialText` when that is given and not empty; an initial text that is
// given but empty selects the first entry read; without one it stays empty.
void LoadHistory(ProfileStore& store, const char* section, const char* prefix, size_t maxLength,
                 int maxCount, ComboField& field, const String* initialText);
// Writes the entries in list order as prefix0, prefix1, ... up to the first
// empty entry, the list's end or `maxCount` keys; with `terminate` set, a
// list that ends early is followed by one key with an empty value.
void SaveHistory(ProfileStore& store, const char* section, const char* prefix, size_t maxLength,
                 int maxCount, ComboField& field, int terminate);
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
// The display form of its list becomes the run form of the directory list
// and its file types the run form of the file types; SubDir is set too. A
// missing section gives an empty list, "*.*" and 1.
FileSetFields LoadFileSet(ProfileStore& store, SearchSettingsRecord& settings,
                          const String& setName);
// Writes `fields` into the set's section in stored form and sets SubDir;
// with `keepRunForms` the stored texts also become the run forms.
void SaveFileSet(ProfileStore& store, SearchSettingsRecord& settings, const String& setName,
                 const FileSetFields& fields, int keepRunForms);

// SearchSettings: the one process-wide record of the settings and the run
// inputs that the dialog, the search run and the entry points share. It lives
// while the library is loaded and is never reset between calls. The run forms
// of the directory list and the file types are what the walk reads: the
// directory list as entries ended by ';', CR or LF, the file types as masks
// separated by ';' or ','.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "base/text_utils.h"

enum {
    maxSearchTextLength = 60, // text to find and hostText
    maxSetNameLength = 32,
    maxFileTypesLength = 256,
    maxDirListLength = 16384,
};

struct SearchSettingsRecord {
    String textToFind; // set by the dialog at OK; at most 60 characters
    String hostText;   // the host's text of the last search command; at most 60 characters

    // The option switches, 0 or 1, named after their settings keys.
    int OnlyFile = 0;      // report file names only
    int RegEx = 0;         // the text to find is a pattern
    int CaseSensitive = 0; //
    int WholeWord = 0;     //
    int Stat = 0;          // statistics mode instead of a text search
    int KeepMess = 0;      // the host keeps its old messages

    String setName;    // the set written as "LastSet" at OK; at most 32 characters
    String dirList;    // run form of the directory list; at most 16384 characters
    String fileTypes;  // run form of the file types; at most 256 characters
    StringList masks;  // the file types cut by SplitFileTypes, empty pieces included; owning
    int maskCount = 0; // 1 for the first mask plus 1 for every later non-empty one
    int SubDir = 1;    // search subdirectories

    int fileSetModified = 0; // the shown list, file types or SubDir changed since loaded or saved
    String SettingsPath;     // TROVIK.INI beside the library's own file
    String HelpPath;         // TROVIK.HLP beside it
    int loaded = 0;          // LoadSettings has run
};

extern SearchSettingsRecord SearchSettings;

// Cuts the run form of the file types into `masks`: removes every space from
// `fileTypes` (the run form keeps that change), then cuts it at every ';' and
// ','. Every piece is a mask, empty pieces included (a trailing separator
// gives an empty last mask); an empty text gives no mask and a count of 0.
void SplitFileTypes(SearchSettingsRecord& settings);

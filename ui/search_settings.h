// SearchSettings: the one process-wide record of the settings that the
// dialog, the search run and the entry points share. It lives while the
// library is loaded and is never reset between calls. Each run reads it
// through a RunQuery made from it (host/settings_query.h): the run forms
// of the directory list (entries ended by ';', CR or LF) and the file types
// (masks separated by ';' or ','), the text and the switches.
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
    unsigned Threads = 0; // threads searching files; 0 (or missing, or negative): one per processor

    String setName;   // the set written as "LastSet" at OK; at most 32 characters
    String dirList;   // run form of the directory list; at most 16384 characters
    String fileTypes; // run form of the file types; at most 256 characters
    int SubDir = 1;   // search subdirectories

    int fileSetModified = 0; // the shown list, file types or SubDir changed since loaded or saved
    String SettingsPath;     // TROVIK.INI beside the library's own file
    String HelpPath;         // TROVIK.HLP beside it
    String HelpPagePath;     // TROVIK.HTM beside it: the help page that ships with the library
    int loaded = 0;          // LoadSettings has run
};

extern SearchSettingsRecord SearchSettings;

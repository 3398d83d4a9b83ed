// RunQuery: everything one search run reads, in one record. The entry points
// build it from SearchSettings, trovfind from its command line; WalkFileSet
// reads the file set and hands the rest, its text stripped, to the per-file
// search (search/search_file.h). Nothing of a run's inputs lives anywhere
// else.
#pragma once

#include "base/string.h"

struct RunQuery {
    // ---- What is looked for
    String text;             // the text to find, as given; the walk strips blanks off it
    int statistics = 0;      // count characters and lines instead of searching ("Stat")
    int caseInsensitive = 0; // ASCII letters match either case ("CaseSensitive" off)
    int wholeWords = 0;      // keep only matches between word boundaries ("WholeWord")
    int pattern = 0;         // a text holding a non-word character is a pattern ("RegEx")
    int fileNamesOnly = 0;   // one record per file, without line text ("OnlyFile")

    // ---- Where it is looked for
    String dirList;         // entries ended by ';', CR or LF (host/file_set_entries.h)
    String fileTypes;       // masks separated by ';' or ','; spaces do not count
    int subdirectories = 1; // directories are walked recursively ("SubDir")
    int followLinks = 0;    // links to folders are entered, each real folder once
    int hostUtf8 = 0;       // entries and record names in UTF-8, not the ANSI code page
    // ---- How it is looked for
    unsigned threads = 1; // threads searching files; 0: one per processor, at most 16
};

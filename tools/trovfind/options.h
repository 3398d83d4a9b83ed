// The command line of trovfind:
//     trovfind [options] TEXT ENTRY...
// Options come before TEXT; "--" ends them. Parsing is pure: entries are
// only given backslashes here, the program makes them absolute. An entry may
// not hold ';' (the separator of the run's directory list) nor a line end.
#pragma once

#include <string>
#include <vector>

struct TrovfindOptions {
    int caseInsensitive = 0;          // -i
    int wholeWords = 0;               // -w
    int pattern = 0;                  // -p: TEXT is a pattern (the RegEx setting)
    int fileNamesOnly = 0;            // -l
    int statistics = 0;               // -s: no TEXT, every argument is an entry
    int recursive = 1;                // -n turns it off
    int records = 0;                  // --records: machine-readable output
    int longestGap = 0;               // --longest-gap: report the longest dispatch gap
    int followLinks = 0;              // -L: enter links to folders, each real folder once
    int utf8 = 0;                     // -u: arguments and output in UTF-8
    unsigned threads = 0;             // -j N: threads searching files; 0: one per processor
    std::string fileTypes = "*.*";    // -t TYPES
    std::string text;                 // the text to find (empty with -s)
    std::vector<std::string> entries; // directories and files, '/' turned into '\'
};

enum ParseResult { parsedRun = 0, parsedHelp = 1, parsedUsageError = 2 };

// Reads argv[1] .. argv[argc - 1]. On a usage error `error` says what is wrong.
ParseResult ParseTrovfindOptions(int argc, const char* const* argv, TrovfindOptions& options,
                                 std::string& error);

// The text of -h and of a usage error.
extern const char trovfindUsage[];

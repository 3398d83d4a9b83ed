#include "tools/trovfind/options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ui/search_settings.h"

const char trovfindUsage[] =
    "usage: trovfind [options] TEXT ENTRY...\n"
    "       trovfind -s [options] ENTRY...\n"
    "Searches the files of the entries (directories or single files) for TEXT.\n"
    "  -i          ignore case (default: case-sensitive)\n"
    "  -w          whole words only\n"
    "  -p          TEXT is a pattern\n"
    "  -l          report file names only\n"
    "  -s          statistics; no TEXT, every argument is an entry\n"
    "  -t TYPES    file types, e.g. \"*.c;*.h\" (default \"*.*\")\n"
    "  -n          do not descend into subdirectories\n"
    "  -L          follow links to folders (each real folder once)\n"
    "  -j N        search files on N threads (default 0: one per processor, at most 16)\n"
    "  -u          arguments, file names and line texts in UTF-8\n"
    "  --records   machine-readable output\n"
    "  --longest-gap  also report the longest time in ms between two points\n"
    "              where a window would have been kept alive\n"
    "  -h, --help  this text\n"
    "Exit status: 0 when something was found, 1 when nothing, 2 on a usage error.\n";

ParseResult ParseTrovfindOptions(int argc, const char* const* argv, TrovfindOptions& options,
                                 std::string& error) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') break;
        if (arg == "-h" || arg == "--help") return parsedHelp;
        if (arg == "-i") {
            options.caseInsensitive = 1;
        } else if (arg == "-w") {
            options.wholeWords = 1;
        } else if (arg == "-p") {
            options.pattern = 1;
        } else if (arg == "-l") {
            options.fileNamesOnly = 1;
        } else if (arg == "-s") {
            options.statistics = 1;
        } else if (arg == "-n") {
            options.recursive = 0;
        } else if (arg == "-L") {
            options.followLinks = 1;
        } else if (arg == "-u") {
            options.utf8 = 1;
        } else if (arg == "--records") {
            options.records = 1;
        } else if (arg == "--longest-gap") {
            options.longestGap = 1;
        } else if (arg == "-j") {
            const char* count = ++i < argc ? argv[i] : "";
            if (!*count || std::strspn(count, "0123456789") != std::strlen(count) ||
                std::strlen(count) > 4) {
                error = "-j needs a number of threads";
                return parsedUsageError;
            }
            options.threads = static_cast<unsigned>(std::atoi(count));
        } else if (arg == "-t") {
            if (++i == argc) {
                error = "-t needs the file types";
                return parsedUsageError;
            }
            options.fileTypes = argv[i];
            if (options.fileTypes.size() > maxFileTypesLength) {
                error = "the file types are longer than 256 characters";
                return parsedUsageError;
            }
        } else {
            error = "unknown option " + arg;
            return parsedUsageError;
        }
    }
    if (!options.statistics) {
        if (i == argc) {
            error = "no text to find";
            return parsedUsageError;
        }
        options.text = argv[i++];
        if (options.text.size() > maxSearchTextLength) {
            error = "the text to find is longer than 60 characters";
            return parsedUsageError;
        }
    }
    if (i == argc) {
        error = "no directory or file to search";
        return parsedUsageError;
    }
    for (; i < argc; ++i) {
        std::string entry = argv[i];
        std::replace(entry.begin(), entry.end(), '/', '\\');
        if (entry.empty() || entry.find_first_of("\r\n") != std::string::npos) {
            error = "not a directory or file name: \"" + entry + "\"";
            return parsedUsageError;
        }
        // The run's directory list separates its entries by ';': one inside
        // an entry would silently make two other entries of it.
        if (entry.find(';') != std::string::npos) {
            error = "\"" + entry + "\" holds a ';', which separates the entries of a search";
            return parsedUsageError;
        }
        options.entries.push_back(entry);
    }
    return parsedRun;
}

// trovfind: searches files for a text with the engine of trovik.dll and
// prints the hit records (or the statistics) on standard output.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "host/file_set_entries.h"
#include "host/file_set_walk.h"
#include "host/run_state.h"
#include "search/grep_info.h"
#include "search/search_params.h"
#include "tools/trovfind/console_progress.h"
#include "tools/trovfind/options.h"
#include "tools/trovfind/output.h"
#include "ui/search_settings.h"

namespace {

int UsageError(const std::string& error) {
    fprintf(stderr, "trovfind: %s\n%s", error.c_str(), trovfindUsage);
    return parsedUsageError;
}

void Write(const std::string& text) {
    fwrite(text.data(), 1, text.size(), stdout);
}

// Makes the entries absolute and joins them into the run form of the
// directory list, one per line (a ';' may be part of a file name). Returns
// an error text, empty on success.
std::string BuildDirList(const TrovfindOptions& options, String& dirList) {
    for (const std::string& entry : options.entries) {
        char full[MAX_PATH];
        DWORD length = GetFullPathNameA(entry.c_str(), MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH) return "cannot make a full path of " + entry;
        if (length > maxFileSetEntryLength) return "the path is too long: " + std::string(full);
        dirList += full;
        dirList += "\n";
    }
    return std::string();
}

void PrintResults(const TrovfindOptions& options) {
    if (options.statistics) {
        Write(FormatStatistics(RunCounters));
    } else {
        for (GrepInfo* record = hitList.GetHead(); record;
             record = List<GrepInfo>::GetNext(record)) {
            Write(options.records ? FormatRecord(*record)
                                  : FormatHit(*record, options.fileNamesOnly));
        }
    }
    if (options.records) Write(FormatCounters(RunCounters));
    fflush(stdout);
    if (!options.records) {
        fputs(
            FormatSummary(RunCounters, filesNotRead, foldersNotListed, options.statistics).c_str(),
            stderr);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Lines end with LF alone, on the console as in a pipe or a file.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    TrovfindOptions options;
    std::string error;
    switch (ParseTrovfindOptions(argc, argv, options, error)) {
    case parsedHelp:
        fputs(trovfindUsage, stdout);
        return 0;
    case parsedUsageError:
        return UsageError(error);
    case parsedRun:
        break;
    }
    String dirList;
    error = BuildDirList(options, dirList);
    if (!error.empty()) return UsageError(error);

    SearchSettings.dirList = dirList;
    SearchSettings.fileTypes = options.fileTypes.c_str();
    SearchSettings.SubDir = options.recursive;
    SearchSettings.CaseSensitive = options.caseInsensitive ? 0 : 1;
    SearchSettings.WholeWord = options.wholeWords;
    SearchSettings.RegEx = options.pattern;
    SearchSettings.OnlyFile = options.fileNamesOnly;
    SearchSettings.Stat = options.statistics;
    ClearRunResults();

    static char outputBuffer[1 << 16];
    setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    uint32_t longestGap;
    {
        ConsoleProgress progress;
        // A statistics run counts whatever the text; the walk only asks that
        // there is one.
        WalkFileSet(String(options.statistics ? "*" : options.text.c_str()), progress);
        longestGap = progress.LongestGap();
    }
    PrintResults(options);
    if (options.longestGap)
        fprintf(stderr, "trovfind: longest gap between two dispatches: %lu ms\n",
                static_cast<unsigned long>(longestGap));
    int status = ExitStatusOf(options, RunCounters, filesNotRead, hitList._count);
    ReleaseHits();
    return status;
}

#include "tools/trovfind/search_command.h"

#include <cstdio>

#include "fs/entry_path.h"
#include "host/file_set_walk.h"
#include "search/hit_record.h"
#include "tools/trovfind/console_progress.h"
#include "tools/trovfind/output.h"

namespace {

void Write(const std::string& text) {
    fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace

std::string BuildDirList(const TrovfindOptions& options, String& dirList) {
    for (const std::string& entry : options.entries) {
        String walkPath;
        if (!EntryWalkPath(String(entry), options.utf8, walkPath))
            return "the path is too long: " + entry;
        dirList += entry.c_str();
        // The run's list ends at an entry shorter than two characters: "."
        // and the root (a backslash) go with a backslash and a dot after them,
        // which name the same folders.
        if (entry.size() == 1) dirList += "\\.";
        dirList += "\n";
    }
    return std::string();
}

RunQuery QueryOf(const TrovfindOptions& options, const String& dirList) {
    RunQuery query;
    query.text = options.statistics ? "*" : options.text.c_str();
    query.statistics = options.statistics;
    query.caseInsensitive = options.caseInsensitive;
    query.wholeWords = options.wholeWords;
    query.pattern = options.pattern;
    query.fileNamesOnly = options.fileNamesOnly;
    query.dirList = dirList;
    query.fileTypes = options.fileTypes.c_str();
    query.subdirectories = options.recursive;
    query.threads = options.threads;
    query.followLinks = options.followLinks;
    query.hostUtf8 = options.utf8;
    return query;
}

namespace {

void PrintResults(const TrovfindOptions& options, const RunResults& results,
                  const RecordName& nameOf, HitForm form) {
    if (options.statistics) {
        Write(FormatStatistics(results.counters));
    } else {
        for (GrepInfo* record = results.hitList.GetHead(); record;
             record = List<GrepInfo>::GetNext(record)) {
            const std::string name = nameOf(*record);
            if (options.records)
                Write(FormatRecord(*record, name));
            else if (form == grepHits)
                Write(FormatGrepHit(*record, name, options.fileNamesOnly));
            else
                Write(FormatHit(*record, name, options.fileNamesOnly));
        }
    }
    if (options.records) Write(FormatCounters(results.counters));
    fflush(stdout);
    if (!options.records) {
        fputs(FormatSummary(results.counters, results, options.statistics).c_str(), stderr);
    }
}

} // namespace

int SearchAndPrint(const TrovfindOptions& options, const String& dirList,
                   const LineTextsToUtf8& toUtf8, const RecordName& nameOf, HitForm form) {
    const RunQuery query = QueryOf(options, dirList);
    RunResults results;

    static char outputBuffer[1 << 16];
    setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    uint32_t longestGap;
    {
        ConsoleProgress progress;
        WalkFileSet(query, progress, results);
        longestGap = progress.LongestGap();
    }
    if (options.utf8) toUtf8(results.hitList);
    PrintResults(options, results, nameOf, form);
    if (options.longestGap)
        fprintf(stderr, "trovfind: longest gap between two dispatches: %lu ms\n",
                static_cast<unsigned long>(longestGap));
    return ExitStatusOf(options, results.counters, results.filesNotRead - results.filesLeftOut,
                        results.hitList._count);
}

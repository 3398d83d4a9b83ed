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

int UsageError(const std::string& error) {
    fprintf(stderr, "trovfind: %s\n%s", error.c_str(), trovfindUsage);
    return parsedUsageError;
}

bool ReadOptions(int argc, char** argv, TrovfindOptions& options, int& exitStatus) {
    std::string error;
    switch (ParseTrovfindOptions(argc, argv, options, error)) {
    case parsedHelp:
        fputs(trovfindUsage, stdout);
        exitStatus = 0;
        return false;
    case parsedUsageError:
        exitStatus = UsageError(error);
        return false;
    case parsedRun:
        break;
    }
    return true;
}

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

// Writes each file's records as the walk takes them and frees them, so that
// a run holds one file's records at a time however many it finds. On several
// threads the thread that searched a file turns its records into their lines.
class HitOutput : public RecordDrain {
public:
    HitOutput(const TrovfindOptions& options, const LineTextsToUtf8& toUtf8,
              const RecordName& nameOf, HitForm form)
        : _options(options), _toUtf8(toUtf8), _nameOf(nameOf), _form(form) {}

    void Prepare(List<GrepInfo>& records, PreparedRecords& prepared) override {
        if (_options.utf8) _toUtf8(records);
        // The records of a file share its name: it is turned once. A name
        // freed with its records may lend its address to a later file's, so
        // nothing is kept from one call to the next.
        const char* lastName = nullptr;
        std::string name;
        for (GrepInfo* record = records.GetHead(); record;
             record = List<GrepInfo>::GetNext(record)) {
            if (record->_fileName.c_str() != lastName) {
                lastName = record->_fileName.c_str();
                name = _options.records ? EscapeField(_nameOf(*record)) : _nameOf(*record);
            }
            if (_options.records)
                AppendRecord(prepared.text, *record, name);
            else if (_form == grepHits)
                AppendGrepHit(prepared.text, *record, name, _options.fileNamesOnly);
            else
                AppendHit(prepared.text, *record, name, _options.fileNamesOnly);
        }
        prepared.count = records._count;
        records.DeleteAll();
    }
    void Take(List<GrepInfo>& records) override {
        Prepare(records, _lines);
        TakePrepared(_lines);
    }
    void TakePrepared(PreparedRecords& prepared) override {
        Write(prepared.text);
        prepared.text.clear();
        prepared.count = 0;
    }

private:
    const TrovfindOptions& _options;
    const LineTextsToUtf8& _toUtf8;
    const RecordName& _nameOf;
    const HitForm _form;
    PreparedRecords _lines; // one file's, kept for the next file's
};

void PrintTotals(const TrovfindOptions& options, const RunResults& results) {
    if (options.statistics) Write(FormatStatistics(results.counters));
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
    HitOutput output(options, toUtf8, nameOf, form);
    results.drain = &output;

    static char outputBuffer[1 << 16];
    setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    uint32_t longestGap;
    {
        ConsoleProgress progress;
        WalkFileSet(query, progress, results);
        longestGap = progress.LongestGap();
    }
    PrintTotals(options, results);
    if (options.longestGap)
        fprintf(stderr, "trovfind: longest gap between two dispatches: %lu ms\n",
                static_cast<unsigned long>(longestGap));
    return ExitStatusOf(options, results.counters, results.filesNotRead - results.filesLeftOut,
                        results.RecordCount());
}

#include "tools/trovfind/search_command.h"

#include <cstdio>

#include "fs/entry_path.h"
#include "host/file_set_walk.h"
#include "tools/trovfind/console_progress.h"

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

// Writes each file's hit lines as the walk takes them: the thread that
// searched a file turns its hits into their lines as it finds them, so that
// a run makes no record and holds only the lines of the files searched and
// not yet taken, however many it finds.
class HitOutput : public RecordDrain {
public:
    HitOutput(const TrovfindOptions& options, const LineTextToUtf8& toUtf8,
              const RecordName& nameOf, HitForm form)
        : _options(options), _toUtf8(toUtf8), _nameOf(nameOf), _form(form) {}

    void PrepareLine(const String& fileName, int32_t lineNumber, const char* text, uint32_t length,
                     PreparedRecords& prepared) override {
        if (prepared.count == 0) {
            // Room for a dozen lines at once, which most files with hits
            // fill: the text is not grown line by line. Natively, below the C
            // library's large requests (from 1,008 bytes), each of which
            // first gathers its heap's small free blocks.
            prepared.text.reserve(960);
            prepared.name = _options.records ? EscapeField(_nameOf(fileName)) : _nameOf(fileName);
        }
        std::string converted;
        if (_options.utf8) {
            converted = _toUtf8(std::string(text, length));
            text = converted.c_str();
            length = static_cast<uint32_t>(converted.size());
        }
        if (_options.records)
            AppendRecord(prepared.text, prepared.name, lineNumber, text, length);
        else
            AppendHit(prepared.text, _form, prepared.name, lineNumber, text, length,
                      _options.fileNamesOnly);
        ++prepared.count;
    }
    void TakePrepared(PreparedRecords& prepared) override {
        Write(prepared.text);
        prepared = PreparedRecords();
    }

private:
    const TrovfindOptions& _options;
    const LineTextToUtf8& _toUtf8;
    const RecordName& _nameOf;
    const HitForm _form;
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
                   const LineTextToUtf8& toUtf8, const RecordName& nameOf, HitForm form) {
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

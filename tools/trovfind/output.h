// What trovfind writes: the hit records, the counters and the statistics, in
// the default form for people (and a development environment's message
// window) or in the machine-readable form of --records. Pure formatting.
#pragma once

#include <cstdint>
#include <string>

#include "search/run_counters.h"
#include "search/run_results.h"

class GrepInfo;
struct TrovfindOptions;

// The hit forms append one record's line to `out`; a line text is written as
// the host reads it, up to its first zero byte.

// The default form on Windows, a development environment's message window's:
// "name(lineNumber): lineText", or the name alone with -l. Ends with LF.
// `name` is how the record's file is shown.
void AppendHit(std::string& out, const GrepInfo& record, const std::string& name,
               int fileNamesOnly);

// The default form natively, grep's: "name:lineNumber:lineText", or the name
// alone with -l. Ends with LF.
void AppendGrepHit(std::string& out, const GrepInfo& record, const std::string& name,
                   int fileNamesOnly);

// --records form: name TAB lineNumber TAB lineText LF, with backslash,
// TAB, LF and CR inside the texts written as \\ \t \n \r; the name comes
// escaped already (EscapeField), as it serves all the records of its file.
void AppendRecord(std::string& out, const GrepInfo& record, const std::string& escapedName);
std::string EscapeField(const std::string& text);

// "#counters filesProcessed=N filesWithHits=N hitCount=N" and LF.
std::string FormatCounters(const RunCounterSet& counters);

// The five statistics lines, each ended by LF.
std::string FormatStatistics(const RunCounterSet& counters);

// The closing line of the default form on standard error, with LF. The
// folders whose listing broke off (or that closed a link loop) are named only
// when there were any. The results' filesLeftOut never reached the search
// (paths or names too long): they do not come off the files searched.
std::string FormatSummary(const RunCounterSet& counters, const RunResults& results, int statistics);

// 0 when something was found (with -s: a file was counted), else 1.
int ExitStatusOf(const TrovfindOptions& options, const RunCounterSet& counters,
                 uint32_t filesNotRead, int32_t hitRecords);

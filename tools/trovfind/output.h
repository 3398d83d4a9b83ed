// What trovfind writes: the hit records, the counters and the statistics, in
// the default form for people (and a development environment's message
// window) or in the machine-readable form of --records. Pure formatting.
#pragma once

#include <cstdint>
#include <string>

#include "search/run_counters.h"
#include "search/run_results.h"

struct TrovfindOptions;

// The hit forms append one hit line to `out`: `name` is how its file is
// shown, `text` its line text (`length` bytes), written as the host reads it,
// up to a zero byte among them.

// The default forms of the hits, each ended by LF: a development
// environment's message window's on Windows, "name(lineNumber): lineText",
// and grep's natively, "name:lineNumber:lineText"; the name alone with -l.
enum HitForm { environmentHits, grepHits };
void AppendHit(std::string& out, HitForm form, const std::string& name, int32_t lineNumber,
               const char* text, uint32_t length, int fileNamesOnly);

// --records form: name TAB lineNumber TAB lineText LF, with backslash,
// TAB, LF and CR inside the texts written as \\ \t \n \r; the name comes
// escaped already (EscapeField), as it serves all the lines of its file.
void AppendRecord(std::string& out, const std::string& escapedName, int32_t lineNumber,
                  const char* text, uint32_t length);
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

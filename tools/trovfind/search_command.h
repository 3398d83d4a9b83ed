// What both trovfind programs (Windows and native) do between the command
// line and the output: the run's directory list and query from the options,
// and the printing of the results, whose default hit form each program
// chooses (the development environment's "file(line): text" on Windows,
// grep's "path:line:text" natively).
#pragma once

#include <functional>
#include <string>

#include "base/list.h"
#include "base/string.h"
#include "search/run_query.h"
#include "search/run_results.h"
#include "tools/trovfind/options.h"

class GrepInfo;

// Prints `error` and the usage on standard error; returns the exit status
// of a usage error.
int UsageError(const std::string& error);

// Reads the command line into `options`: true when the search is to run;
// otherwise the help is printed or the usage error reported, and
// `exitStatus` says how the program ends.
bool ReadOptions(int argc, char** argv, TrovfindOptions& options, int& exitStatus);

// Joins the entries into the run form of the directory list, one per line
// (a ';' may be part of a file name); the library makes them canonical. An
// entry of one character ("." or the root) goes with "\." after it, since
// the run's list ends at an entry shorter than two characters.
// Refuses an entry that is too long for the library, which would count it
// among the folders not listed. Returns an error text, empty on success.
std::string BuildDirList(const TrovfindOptions& options, String& dirList);

// The run the options ask for. A statistics run counts whatever the text;
// the walk only asks that there is one.
RunQuery QueryOf(const TrovfindOptions& options, const String& dirList);

// How a record names its file in the output.
using RecordName = std::function<std::string(const GrepInfo& record)>;
// The default form of the hits (tools/trovfind/output.h).
enum HitForm { environmentHits, grepHits };

// What -u does to the line texts, which are in the code page, before they
// are printed.
using LineTextsToUtf8 = std::function<void(List<GrepInfo>& hitList)>;

// Runs the search of `dirList` (BuildDirList) with the console's progress
// (tools/trovfind/console_progress.h), writing each file's records on
// standard output as the walk takes them, in walk order; then the
// statistics, the counters with --records, the summary on standard error in
// the default form and the longest gap when asked. Returns the exit status.
int SearchAndPrint(const TrovfindOptions& options, const String& dirList,
                   const LineTextsToUtf8& toUtf8, const RecordName& nameOf, HitForm form);

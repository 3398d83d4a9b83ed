// What both trovfind programs (Windows and native) do between the command
// line and the output: the run's directory list and query from the options,
// and the printing of the results, whose default hit form each program
// chooses (the development environment's "file(line): text" on Windows,
// grep's "path:line:text" natively).
#pragma once

#include <functional>
#include <string>

#include "base/string.h"
#include "search/run_query.h"
#include "search/run_results.h"
#include "tools/trovfind/options.h"
#include "tools/trovfind/output.h"

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

// How the output names a file, given the name its records would hold.
using RecordName = std::function<std::string(const String& fileName)>;

// What -u does to a line text, which is in the code page, before it is
// printed.
using LineTextToUtf8 = std::function<std::string(const std::string& text)>;

// Runs the search of `dirList` (BuildDirList) with the console's progress
// (tools/trovfind/console_progress.h), writing each file's records on
// standard output as the walk takes them, in walk order; then the
// statistics, the counters with --records, the summary on standard error in
// the default form and the longest gap when asked. Returns the exit status.
int SearchAndPrint(const TrovfindOptions& options, const String& dirList,
                   const LineTextToUtf8& toUtf8, const RecordName& nameOf, HitForm form);

// The host's three calls as plain code; the library's exports (_DoTrovik,
// _GetValue, _GetString in exports_win32.cpp) only forward here, handing in
// the run and the help engine through HostCalls.
//
// Who owns what: the hit records and the texts returned for them belong to
// the library and stay valid until the next search command or command 8;
// every other returned text lives until the next GetResultString call.
#pragma once

#include "base/string.h"

// Commands of _DoTrovik.
enum HostCommand {
    commandSearch = 3,  // run a search or a statistics count
    commandRelease = 8, // delete the hits and release the help file
};

// Results of _DoTrovik.
enum HostResult {
    resultNothing = 1,    // nothing new to show (also every command but 3)
    resultHits = 2,       // a text search ended; the hits are readable
    resultStatistics = 9, // a statistics run ended; the five lines are readable
};

// Selectors of _GetValue and _GetString.
enum HostSelector {
    selectFileName = 4,      // string: the record's file
    selectLineText = 5,      // string: the record's line text
    selectLineNumber = 6,    // value: the record's line number
    selectHitCount = 7,      // value: the number of records
    selectKeepMessages = 15, // value: the KeepMess setting
    selectFilesNotRead = 16, // value: files that could not be read; string: also folders
    selectStoppedEarly = 17, // value: 1 when the last run ended early (Stop, or memory
                             // for records ran out), so that its records are partial
};

struct HostCalls {
    // The search run: 1 when it was cancelled (or could not start), else 0.
    int (*runSearch)(int showDialog);
    // Tells the help engine that the help file at `helpPath` is no longer needed.
    void (*releaseHelp)(const String& helpPath);
};

// Command 3: with a text (cut to 60 characters) it becomes hostText, and with
// showDialog 0 also the text to find; without a text a dialog starts empty,
// and with neither nothing happens (1, the previous results stay). Then the
// run, whose cancel gives 1; otherwise 9 in statistics mode, else 2.
// Command 8 deletes the hits, keeps the counters and releases the help file.
// Every other command does nothing and gives 1. While a run goes on (the
// host's own windows get their messages during it) commands 3 and 8 give 1
// and change nothing.
int DoTrovikCommand(int command, const char* text, int showDialog, const HostCalls& calls);

// Line number of record `index`, the record count, the KeepMess setting, the
// count of files that could not be read or whether the last run ended early;
// 0 for any other selector and
// for an index outside 0 to count - 1. Reading the records in order costs
// constant time per call. Allocates nothing.
int GetResultValue(int index, int what);

// File name or line text of record `index`, one of the five statistics lines
// (selectors 10 to 14) or "Files that could not be read: %d" (followed by
// ", folders that could not be listed: %d" when there were any); the empty text
// for any other selector and for an index outside 0 to count - 1. Never null.
// Allocates nothing, so that the host can read when memory has run out.
const char* GetResultString(int index, int what);

#include "tools/trovfind/console_progress.h"

#include <cstdio>

#include "host/millisecond_clock.h" // walkClock
#include "search/run_counters.h"

std::atomic<int> ConsoleProgress::_stopAsked{stopNone};

void ConsoleProgress::KeepAlive() {
    _dispatches.TakeIfDue(walkClock());
}

void ConsoleProgress::DirectoryEntered(const FileName&) {}

void ConsoleProgress::FileProcessed(uint32_t filesProcessed) {
    _files = filesProcessed;
    Show();
}

void ConsoleProgress::HitsChanged(const FileName&, const RunCounterSet& counters) {
    _hits = counters.hitCount;
    Show();
}

void ConsoleProgress::HitListFull(int32_t records) {
    Clear();
    fprintf(stderr, "trovfind: Too many hits: the search stopped after %d records.\n",
            static_cast<int>(records));
    AskToStop();
}

WalkStop ConsoleProgress::StopRequest() {
    return static_cast<WalkStop>(_stopAsked.load());
}

void ConsoleProgress::ReportFailure() {
    Clear();
    fputs("trovfind: Error detected. Operation aborted.\n", stderr);
}

void ConsoleProgress::Show() {
    if (!_console) return;
    char line[96];
    const int length =
        snprintf(line, sizeof line, "\rProcessed files: %lu, hits: %lu ",
                 static_cast<unsigned long>(_files), static_cast<unsigned long>(_hits));
    Put(line, static_cast<size_t>(length));
    _shown = true;
}

void ConsoleProgress::Clear() {
    if (!_shown) return;
    static const char blank[] = "\r                                                  \r";
    Put(blank, sizeof blank - 1);
    _shown = false;
}

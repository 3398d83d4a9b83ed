// The console's progress natively: the progress line goes to standard error
// when that is a terminal (a pipe or a file gets only the summary), and
// SIGINT (Ctrl+C) asks the walk to stop, keeping what was found; a second
// SIGINT ends the program as usual.
#include "tools/trovfind/console_progress.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "host/millisecond_clock.h" // walkClock
#include "search/run_counters.h"

namespace {

// Set by the signal handler, on whichever thread takes the signal, and read
// on the walking thread; a lock-free atomic may be written in a handler.
std::atomic<int> stopAsked{stopNone};
struct sigaction previousHandler;

void OnInterrupt(int) {
    stopAsked = stopKeep;
    sigaction(SIGINT, &previousHandler, nullptr);
}

void Put(const char* text, size_t length) {
    while (length > 0) {
        const ssize_t written = write(STDERR_FILENO, text, length);
        if (written <= 0) return;
        text += written;
        length -= static_cast<size_t>(written);
    }
}

} // namespace

ConsoleProgress::ConsoleProgress()
    : _console(isatty(STDERR_FILENO) ? stderr : nullptr), _ownConsole(false) {
    struct sigaction interrupt = {};
    interrupt.sa_handler = OnInterrupt;
    sigemptyset(&interrupt.sa_mask);
    sigaction(SIGINT, &interrupt, &previousHandler);
}

ConsoleProgress::~ConsoleProgress() {
    Clear();
    sigaction(SIGINT, &previousHandler, nullptr);
}

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
    stopAsked = stopKeep;
}

WalkStop ConsoleProgress::StopRequest() {
    return static_cast<WalkStop>(stopAsked.load());
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

#include "tools/trovfind/console_progress.h"

#include <windows.h>

#include <cstdio>

#include "host/millisecond_clock.h" // walkClock
#include "search/run_counters.h"

namespace {

// Set by the console's control handler, which runs on a thread of its own.
volatile LONG stopAsked = 0;

BOOL WINAPI OnControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        InterlockedExchange(&stopAsked, stopKeep); // stop, keeping what was found
        return TRUE;
    }
    return FALSE;
}

} // namespace

ConsoleProgress::ConsoleProgress() : _console(nullptr), _ownConsole(false) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (error != INVALID_HANDLE_VALUE && GetConsoleMode(error, &mode)) {
        _console = error;
    } else {
        // Standard error goes elsewhere (a file that a script shows after the
        // records): the progress line still goes to the console, if any.
        HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode)) {
            _console = console;
            _ownConsole = true;
        } else if (console != INVALID_HANDLE_VALUE) {
            CloseHandle(console);
        }
    }
    SetConsoleCtrlHandler(OnControl, TRUE);
}

ConsoleProgress::~ConsoleProgress() {
    Clear();
    if (_ownConsole) CloseHandle(_console);
    SetConsoleCtrlHandler(OnControl, FALSE);
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
    InterlockedExchange(&stopAsked, stopKeep);
}

WalkStop ConsoleProgress::StopRequest() {
    return static_cast<WalkStop>(stopAsked);
}

void ConsoleProgress::ReportFailure() {
    Clear();
    fputs("trovfind: Error detected. Operation aborted.\n", stderr);
}

void ConsoleProgress::Show() {
    if (!_console) return;
    char line[96];
    int length = snprintf(line, sizeof line, "\rProcessed files: %lu, hits: %lu ",
                          static_cast<unsigned long>(_files), static_cast<unsigned long>(_hits));
    DWORD written = 0;
    WriteConsoleA(_console, line, static_cast<DWORD>(length), &written, nullptr);
    _shown = true;
}

void ConsoleProgress::Clear() {
    if (!_shown) return;
    static const char blank[] = "\r                                                  \r";
    DWORD written = 0;
    WriteConsoleA(_console, blank, sizeof blank - 1, &written, nullptr);
    _shown = false;
}

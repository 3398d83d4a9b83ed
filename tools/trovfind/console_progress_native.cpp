// The console's progress natively: the progress line goes to standard error
// when that is a terminal (a pipe or a file gets only the summary), and
// SIGINT (Ctrl+C) asks the walk to stop, keeping what was found; a second
// SIGINT ends the program as usual.
#include "tools/trovfind/console_progress.h"

#include <signal.h>
#include <stdio.h>
#include <unistd.h>

namespace {

struct sigaction previousHandler;

void OnInterrupt(int) {
    ConsoleProgress::AskToStop();
    sigaction(SIGINT, &previousHandler, nullptr);
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

void ConsoleProgress::Put(const char* text, size_t length) {
    while (length > 0) {
        const ssize_t written = write(STDERR_FILENO, text, length);
        if (written <= 0) return;
        text += written;
        length -= static_cast<size_t>(written);
    }
}

#include "tools/trovfind/console_progress.h"

#include <windows.h>

namespace {

// The console's control handler, which runs on a thread of its own.
BOOL WINAPI OnControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        ConsoleProgress::AskToStop(); // stop, keeping what was found
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

void ConsoleProgress::Put(const char* text, size_t length) {
    DWORD written = 0;
    WriteConsoleA(_console, text, static_cast<DWORD>(length), &written, nullptr);
}

// peak_memory: runs a Windows program and reports its peak working set, the
// memory figure of the end-to-end benchmark (scripts/bench-search).
//
//     peak_memory PROGRAM [ARGUMENTS...]
//
// The program gets the rest of this command line as it was written and this
// process's standard handles; its exit code becomes this one's. The peak goes
// to standard error as "peak working set: N KiB". Under Wine the counters of
// another process are read from the live Unix process, so they are sampled
// while it runs (the peak only grows) and once more after it ended.
#include <windows.h>

#include <psapi.h>

#include <cstdio>

namespace {

// The command line behind this program's own name, quoted or not.
char* ArgumentsOfCommandLine() {
    char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

SIZE_T PeakWorkingSetOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize
                                                                     : 0;
}

enum { sampleMilliseconds = 5 };

} // namespace

int main() {
    char* arguments = ArgumentsOfCommandLine();
    if (!*arguments) {
        fputs("usage: peak_memory PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, arguments, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started)) {
        fprintf(stderr, "peak_memory: cannot start %s (error %lu)\n", arguments, GetLastError());
        return 2;
    }
    CloseHandle(started.hThread);
    SIZE_T peak = 0;
    for (;;) {
        const bool ended =
            WaitForSingleObject(started.hProcess, sampleMilliseconds) != WAIT_TIMEOUT;
        const SIZE_T sample = PeakWorkingSetOf(started.hProcess);
        if (sample > peak) peak = sample;
        if (ended) break;
    }
    DWORD exitCode = 2;
    GetExitCodeProcess(started.hProcess, &exitCode);
    CloseHandle(started.hProcess);
    fprintf(stderr, "peak working set: %lu KiB\n", static_cast<unsigned long>(peak / 1024));
    return static_cast<int>(exitCode);
}

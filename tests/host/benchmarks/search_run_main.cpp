// host_search_run: one search command of a copy of trovik.dll, as a host
// gives it, for scripts/bench-host to time against trovfind:
//
//   host_search_run.exe [-p] [-j N] TEXT TYPES DIR
//
// The search dialog of the first command is confirmed from a second thread
// with DIR and TYPES, with the switches of trovfind's defaults (case
// sensitive, no whole words, no pattern unless -p); -j N writes Threads=N
// into TROVIK.INI, as trovfind's -j N sets the workers (without it the key
// is missing: one per processor). The run then shows its progress window as
// it would for a user. Prints the record count on standard error; exits 0
// when the run gave hits ready (result 2).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/fs/scratch_dir.h"
#include "tests/host/trovik_exports.h"
#include "tests/ui/dialog_driver.h"

int main(int argc, char** argv) {
    std::string settings = "[Settings]\r\nCaseSensitive=1\r\n";
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        if (std::strcmp(argv[i], "-p") == 0) {
            settings += "RegEx=1\r\n";
        } else if (std::strcmp(argv[i], "-j") == 0 && i + 1 < argc) {
            settings += std::string("Threads=") + argv[++i] + "\r\n";
        } else {
            break;
        }
    }
    if (argc - i != 3) {
        fputs("usage: host_search_run [-p] [-j N] TEXT TYPES DIR\n", stderr);
        return 2;
    }
    char** entries = argv + i;
    ScratchDir home;
    WriteBytes(home / "TROVIK.INI", settings);
    TrovikExports trovik(home.Path());
    if (!trovik.Loaded()) return 2;
    int result;
    {
        DialogDriver driver([entries] {
            ConfirmSearchDialog({entries[0], entries[2], entries[1]});
        });
        result = trovik.DoTrovik(3, entries[0], 0);
    }
    fprintf(stderr, "host_search_run: result %d, %d records\n", result, trovik.GetValue(0, 7));
    return result == 2 ? 0 : 1;
}

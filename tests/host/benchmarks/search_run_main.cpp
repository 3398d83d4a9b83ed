// host_search_run: one search command of a copy of trovik.dll, as a host
// gives it, for scripts/bench-host to time against trovfind:
//
//   host_search_run.exe TEXT TYPES DIR
//
// The search dialog of the first command is confirmed from a second thread
// with DIR and TYPES, with the switches of trovfind's defaults (case
// sensitive, no whole words, no pattern); the run then shows its progress
// window as it would for a user. Prints the record count on standard error; exits 0 when the run
// gave hits ready (result 2).
#include <windows.h>

#include <cstdio>

#include "tests/fs/scratch_dir.h"
#include "tests/host/trovik_exports.h"
#include "tests/ui/dialog_driver.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        fputs("usage: host_search_run TEXT TYPES DIR\n", stderr);
        return 2;
    }
    ScratchDir home;
    WriteBytes(home / "TROVIK.INI", "[Settings]\r\nCaseSensitive=1\r\n");
    TrovikExports trovik(home.Path());
    if (!trovik.Loaded()) return 2;
    int result;
    {
        DialogDriver driver([argv] { ConfirmSearchDialog({argv[1], argv[3], argv[2]}); });
        result = trovik.DoTrovik(3, argv[1], 0);
    }
    fprintf(stderr, "host_search_run: result %d, %d records\n", result, trovik.GetValue(0, 7));
    return result == 2 ? 0 : 1;
}

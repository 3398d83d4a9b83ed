// A page is committed when the mapping that holds it is readable and
// writable: the manager's reserved but uncommitted pages are inaccessible.

#include "tests/heap/committed_pages.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

bool IsCommitted(const void* address) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps) return false;
    bool committed = false;
    uintptr_t low, high;
    char permissions[5];
    char line[512];
    while (std::fgets(line, sizeof line, maps)) {
        if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR " %4s", &low, &high, permissions) != 3)
            continue;
        if (at >= low && at < high) {
            committed = permissions[0] == 'r' && permissions[1] == 'w';
            break;
        }
    }
    std::fclose(maps);
    return committed;
}

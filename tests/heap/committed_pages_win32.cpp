#include "tests/heap/committed_pages.h"

#include <windows.h>

bool IsCommitted(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(address, &info, sizeof info) && info.State == MEM_COMMIT;
}

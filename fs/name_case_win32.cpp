// The upcase table from the platform's own simple case mapping, the one that
// file names are compared by.
#include <windows.h>

#include "fs/name_case.h"

void FillNameUpcaseTable(char16_t* table) {
    for (unsigned unit = 0; unit < 0x10000; ++unit)
        table[unit] = static_cast<char16_t>(unit);
    // Unit 0 would end nothing here (the length is given), but it has no
    // capital anyway; the surrogates map to themselves.
    static_assert(sizeof(WCHAR) == sizeof(char16_t), "UTF-16 units");
    CharUpperBuffW(reinterpret_cast<WCHAR*>(table) + 1, 0xD800 - 1);
    CharUpperBuffW(reinterpret_cast<WCHAR*>(table) + 0xE000, 0x10000 - 0xE000);
}

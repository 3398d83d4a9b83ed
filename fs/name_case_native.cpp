// The upcase table natively: the C library's Unicode case mapping, taken from
// its UTF-8 locale whatever the process's own locale is.
#include <clocale>
#include <cwctype>

#include "fs/name_case.h"

void FillNameUpcaseTable(char16_t* table) {
    locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        // Without that locale, at least the ASCII letters fold.
        wint_t upper = unicode != static_cast<locale_t>(0) ? towupper_l(unit, unicode)
                       : unit >= 'a' && unit <= 'z'        ? unit - 'a' + 'A'
                                                           : unit;
        // A capital outside one UTF-16 unit cannot stand for it.
        table[unit] = static_cast<char16_t>(upper <= 0xFFFF ? upper : unit);
    }
    if (unicode != static_cast<locale_t>(0)) freelocale(unicode);
}

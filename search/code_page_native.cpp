// The native stand-in of the code page: Latin-1, whose bytes are the first 256
// code points, so that the tests of Latin-1 text (é, ü, ß) hold here as they do
// under Windows-1252; the character classes are Windows-1252's.
#include "search/code_page.h"
#include "search/word_chars.h"

void FillCodePageTable(CodePageTable& table) {
    for (uint32_t unit = 0; unit < 0x10000; ++unit)
        table[unit] = static_cast<uint16_t>(unit < 0x100 ? unit : '?');
}

void FillCharClasses(CharClasses& classes) {
    FillWindows1252CharClasses(classes);
}

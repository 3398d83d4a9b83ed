// The native stand-in of the code page: Windows-1252, the ANSI code page of
// Wine (and of Western Windows) under which the Windows build runs, so that
// both builds turn the same Unicode text into the same bytes. Its bytes
// below 0x80 and from 0xA0 are the first 256 code points; 0x80 to 0x9F hold
// typographic signs and a few letters, and the five bytes that spell none
// stand for the C1 controls of their own value, as Windows reads them.
#include "search/code_page.h"
#include "search/word_chars.h"

namespace {

// The code points of the bytes 0x80 to 0x9F.
constexpr uint16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

void FillCodePageTable(CodePageTable& table) {
    for (uint32_t unit = 0; unit < 0x10000; ++unit)
        table[unit] =
            static_cast<uint16_t>(unit < 0x80 || (unit >= 0xA0 && unit < 0x100) ? unit : '?');
    for (uint32_t byte = 0x80; byte < 0xA0; ++byte)
        table[windows1252High[byte - 0x80]] = static_cast<uint16_t>(byte);
}

void FillCharClasses(CharClasses& classes) {
    FillWindows1252CharClasses(classes);
}

// The code page table from the ANSI code page's own conversion.
#include <windows.h>

#include "search/code_page.h"
#include "search/word_chars.h"

namespace {

// WC_NO_BEST_FIT_CHARS: a character the code page lacks becomes the default
// '?' rather than a look-alike (Ā would otherwise be found as A).
int ToCodePage(const wchar_t* units, int count, char* bytes, int room) {
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, bytes, room, "?",
                               nullptr);
}

bool IsSingleByte() {
    CPINFO info;
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
}

} // namespace

void FillCodePageTable(CodePageTable& table) {
    const bool singleByte = IsSingleByte();
    for (uint32_t unit = 0; unit < 0x10000; ++unit)
        table[unit] = '?';
    if (singleByte) {
        // One unit, one byte: the whole range below the surrogates and the
        // range above them in two calls.
        static wchar_t units[0x10000];
        static char bytes[0x10000];
        for (uint32_t unit = 0; unit < 0x10000; ++unit)
            units[unit] = static_cast<wchar_t>(unit);
        const int low = 0xD800;
        const int high = 0x10000 - 0xE000;
        if (ToCodePage(units, low, bytes, low) == low &&
            ToCodePage(units + 0xE000, high, bytes + 0xE000, high) == high) {
            for (uint32_t unit = 0; unit < 0x10000; ++unit)
                if (unit < 0xD800 || unit >= 0xE000)
                    table[unit] = static_cast<unsigned char>(bytes[unit]);
            return;
        }
    }
    for (uint32_t unit = 0; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit < 0xE000) continue;
        const wchar_t wide = static_cast<wchar_t>(unit);
        unsigned char bytes2[2];
        const int length = ToCodePage(&wide, 1, reinterpret_cast<char*>(bytes2), 2);
        if (length == 1) table[unit] = bytes2[0];
        if (length == 2) table[unit] = static_cast<uint16_t>(bytes2[0] << 8 | bytes2[1]);
    }
}

void FillCharClasses(CharClasses& classes) {
    if (!IsSingleByte()) {
        FillAsciiCharClasses(classes);
        return;
    }
    for (int c = 0; c < 256; ++c) {
        char upper = static_cast<char>(c);
        CharUpperBuffA(&upper, 1);
        // An upper case that the code page maps back to another letter (µ
        // to a Latin M where the Greek one is missing) is no case of it.
        char back = upper;
        CharLowerBuffA(&back, 1);
        const bool pair = back == static_cast<char>(c);
        classes.upper[c] = static_cast<unsigned char>(pair ? upper : static_cast<char>(c));
        classes.word[c] = IsCharAlphaNumericA(static_cast<char>(c)) || c == '_';
    }
}

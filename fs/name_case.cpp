#include "fs/name_case.h"

#include <memory>

namespace {

// 128 KB, made once per process: a lookup costs less than a call into the
// platform for every character of every name.
const char16_t* UpcaseTable() {
    static const std::unique_ptr<char16_t[]> table = [] {
        std::unique_ptr<char16_t[]> made(new char16_t[0x10000]);
        FillNameUpcaseTable(made.get());
        return made;
    }();
    return table.get();
}

// The length of a well-formed UTF-8 sequence that starts at `p` and its code
// point, or 0 when none starts there.
int DecodeUtf8(const unsigned char* p, char32_t& code) {
    const unsigned lead = p[0];
    int length;
    char32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        length = 2, least = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3, least = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        length = 4, least = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0; // a NUL ends the sequence here too
        code = code << 6 | (p[i] & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0;
    return length;
}

} // namespace

std::u16string UpcasedName(const char* text) {
    std::u16string units;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
        char32_t code;
        const int length = DecodeUtf8(p, code);
        p += length != 0 ? length : 1;
        if (length == 0) {
            units += u'\xFFFD';
        } else if (code >= 0x10000) {
            code -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (code >> 10));
            units += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            units += UpcaseNameUnit(static_cast<char16_t>(code));
        }
    }
    return units;
}

char16_t UpcaseNameUnit(char16_t unit) {
    return UpcaseTable()[unit];
}

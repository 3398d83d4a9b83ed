#include "tools/trovfind/code_page_text.h"

#include <algorithm>
#include <cstdint>

#include "search/code_page.h"
#include "search/text_encoding.h"

namespace {

// The code point of each byte of the code page: the first unit that the
// code page spells with it ('?' for a byte that spells none).
struct ByteUnits {
    uint16_t units[0x100];
    ByteUnits() {
        std::fill(units, units + 0x100, uint16_t('?'));
        const CodePageTable& table = HostCodePage();
        for (uint32_t unit = 0x10000; unit-- > 0;)
            if (table[unit] < 0x100 && (table[unit] != '?' || unit == '?'))
                units[table[unit]] = unit;
    }
};

void AppendUtf8(uint16_t unit, std::string& out) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | unit >> 6);
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | unit >> 12);
        out += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

} // namespace

bool SpellInCodePage(const std::string& utf8, std::string& text) {
    const auto* data = reinterpret_cast<const unsigned char*>(utf8.data());
    std::string converted(utf8.size(), '\0');
    const size_t written = ConvertToCodePage(TextEncoding::utf8, data, utf8.size(),
                                             reinterpret_cast<unsigned char*>(&converted[0]));
    converted.resize(written);
    // Every character the code page cannot spell became a '?' of its own.
    if (std::count(converted.begin(), converted.end(), '?') !=
        std::count(utf8.begin(), utf8.end(), '?'))
        return false;
    text = converted;
    return true;
}

std::string CodePageToUtf8(const std::string& text) {
    static const ByteUnits byteUnits;
    std::string out;
    out.reserve(text.size());
    for (unsigned char byte : text)
        AppendUtf8(byteUnits.units[byte], out);
    return out;
}

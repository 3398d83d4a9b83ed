#include "search/word_chars.h"

namespace {

struct WordCharTable {
    unsigned char isWordChar[256];
};

constexpr WordCharTable BuildWordChars() {
    WordCharTable table = {};
    for (int c = 0; c < 256; ++c) {
        table.isWordChar[c] =
            ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
                ? 1
                : 0;
    }
    return table;
}

constexpr WordCharTable wordCharTable = BuildWordChars();

} // namespace

const unsigned char* const wordChars = wordCharTable.isWordChar;

#include "search/pattern_search.h"

#include "search/regexp.h"
#include "search/word_chars.h"

#include <cstring>

int32_t FindPatternMatches(const char* text, uint32_t size, const TRegexp& pattern, int wholeWords,
                           int32_t* positions, int32_t maxPositions) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const uint32_t textLength = static_cast<uint32_t>(strnlen(text, size));
    int32_t count = 0;
    // The matcher is only asked from a start inside the text, so that no
    // offset at or beyond the text's end can come back.
    for (uint32_t start = 0; start < textLength && count < maxPositions;) {
        int length = 0;
        int offset = pattern.Find(text, static_cast<int>(start), length);
        if (offset < 0 || length <= 0 || static_cast<uint32_t>(offset) >= textLength) break;
        if (!wholeWords || IsBoundedByNonWords(bytes, size, static_cast<uint32_t>(offset),
                                               static_cast<uint32_t>(length))) {
            positions[count++] = offset;
        }
        start = static_cast<uint32_t>(offset) + 1;
    }
    return count;
}

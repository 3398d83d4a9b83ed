#include "search/pattern_search.h"

#include "search/regexp.h"
#include "search/word_chars.h"

#include <cstring>

int32_t FindPatternMatches(const char* text, uint32_t size, const TRegexp& pattern, int wholeWords,
                           uint32_t* positions, int32_t maxPositions, uint32_t from, uint32_t limit,
                           int* unmatched) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const uint32_t textLength = static_cast<uint32_t>(strnlen(text, size));
    const uint32_t end = textLength < limit ? textLength : limit;
    int32_t count = 0;
    if (unmatched) *unmatched = 0;
    // The matcher is only asked from a start inside the text, so that no
    // offset at or beyond the text's end can come back.
    for (uint32_t start = from; start < end && count < maxPositions;) {
        int length = 0;
        int offset = pattern.Find(text, static_cast<int>(start), length);
        if (offset < 0 || length <= 0) {
            if (unmatched) *unmatched = 1;
            break;
        }
        if (static_cast<uint32_t>(offset) >= end) break;
        if (!wholeWords || IsBoundedByNonWords(bytes, size, static_cast<uint32_t>(offset),
                                               static_cast<uint32_t>(length))) {
            positions[count++] = static_cast<uint32_t>(offset);
        }
        start = static_cast<uint32_t>(offset) + 1;
    }
    return count;
}

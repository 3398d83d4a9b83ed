#include "search/pattern_search.h"

#include "search/regexp_program.h"
#include "search/regexp_scan.h"
#include "search/word_chars.h"

#include <algorithm>
#include <cstring>

namespace {

// Keeps the last `capacity` offsets pushed, which come in decreasing order:
// the lowest ones, handed back in increasing order.
class LowestOffsets {
public:
    LowestOffsets(uint32_t* slots, int32_t capacity) : _slots(slots), _capacity(capacity) {}

    void Push(uint32_t offset) {
        _slots[_pushed % _capacity] = offset;
        ++_pushed;
    }

    // Puts the kept offsets in increasing order at the start of the slots;
    // returns their count.
    int32_t Finish() {
        if (_pushed > static_cast<uint64_t>(_capacity)) {
            std::rotate(_slots, _slots + _pushed % _capacity, _slots + _capacity);
            std::reverse(_slots, _slots + _capacity);
            return _capacity;
        }
        std::reverse(_slots, _slots + _pushed);
        return static_cast<int32_t>(_pushed);
    }

private:
    uint32_t* _slots;
    int32_t _capacity;
    uint64_t _pushed = 0;
};

} // namespace

int32_t FindPatternMatches(const char* text, uint32_t size, const RegexpProgram& program,
                           int wholeWords, uint32_t* positions, int32_t maxPositions, uint32_t from,
                           uint32_t limit, SearchPulse* pulse) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const uint32_t textLength = static_cast<uint32_t>(strnlen(text, size));
    const uint32_t end = textLength < limit ? textLength : limit;
    RegexpScan scan(program, bytes, textLength, pulse);
    int32_t count = 0;
    for (uint32_t at = from; count < maxPositions;) {
        const uint32_t begin = scan.NextCandidate(at, end);
        if (begin >= end) break;
        const uint32_t segmentEnd = scan.SegmentEnd(begin, end);
        if (scan.Stopped()) break;
        at = segmentEnd;
        LowestOffsets kept(positions + count, maxPositions - count);
        auto found = [&](uint32_t start, uint32_t matchEnd) {
            uint32_t length = matchEnd - start;
            if (length == 0 && start == 0) length = 1; // empty at the search start
            if (!wholeWords || IsBoundedByNonWords(bytes, size, start, length)) kept.Push(start);
        };
        // A segment cut short by a stop is dropped whole: its offsets would
        // not be the first ones.
        if (!scan.Resolve(begin, segmentEnd, end, found)) break;
        count += kept.Finish();
    }
    // The end of the text ends its last line too: an empty match there
    // names that line, unless a line end came before it (the text then ends
    // with that line, and no line lies behind it).
    const bool atLineEnd =
        textLength > 0 && bytes[textLength - 1] != '\n' && bytes[textLength - 1] != '\r';
    if (count < maxPositions && !scan.Stopped() && limit >= textLength && from <= textLength &&
        atLineEnd && program.MatchesEmptyAtLineEnd() &&
        (!wholeWords || IsBoundedByNonWords(bytes, size, textLength, 0)))
        positions[count++] = textLength;
    return count;
}

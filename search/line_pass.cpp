#include "search/line_pass.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline bool StartsText(unsigned char c) {
    return c == '\t' || c >= 0x20;
}

// How often `byte` occurs among the `size` bytes at `data`, 16 bytes a step:
// a file with few matches or none has most of its lines counted here, where
// a call for each line would cost as much as its search.
uint32_t CountByte(const unsigned char* data, uint32_t size, unsigned char byte) {
    uint32_t count = 0;
    uint32_t i = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
    while (size - i >= 16) {
        // Each of the 16 lanes counts up to 255 blocks before they are added.
        const uint32_t blocks = std::min<uint32_t>((size - i) / 16, 255);
        __m128i lanes = _mm_setzero_si128();
        for (uint32_t block = 0; block < blocks; ++block, i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, wanted));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<uint32_t>(_mm_cvtsi128_si32(sums) +
                                       _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; i < size; ++i)
        count += data[i] == byte;
    return count;
}

// The offset of the last `byte` among the `size` bytes at `data`, which hold
// one.
uint32_t LastIndexOf(const unsigned char* data, uint32_t size, unsigned char byte) {
    uint32_t i = size - 1;
    while (data[i] != byte)
        --i;
    return i;
}

} // namespace

unsigned char LineDelimiterOf(const unsigned char* data, uint32_t size) {
    uint32_t head = size < maxLineText ? size : maxLineText;
    return memchr(data, '\r', head) ? '\r' : '\n';
}

LinePass::LinePass(unsigned char delimiter, int firstOnly)
    : _delimiter(delimiter), _firstOnly(firstOnly) {}

void LinePass::Start(const uint64_t* offsets, int32_t count, HitLine* lines) {
    _offsets = offsets;
    _count = count;
    _lines = lines;
    _next = 0;
    _result = {0, 0};
}

int LinePass::Continue(const FileWindow& window) {
    while (_next < _count) {
        const uint64_t pos = _offsets[_next];
        // Only the delimiters before the match count: one at `pos` ends the
        // match's own line.
        const bool here = pos < window.End() || (window.last && pos == window.End());
        const uint64_t until = here ? pos : window.End();
        uint32_t i = window.Local(_scanned);
        const uint32_t stop = window.Local(until);
        while (i < stop) {
            const void* found = memchr(window.data + i, _delimiter, stop - i);
            if (!found) break;
            i = static_cast<uint32_t>(static_cast<const unsigned char*>(found) - window.data) + 1;
            ++_lineNumber;
            _previousLineStart = _lineStart;
            _lineStart = window.start + i;
        }
        _scanned = until;
        if (!here) return 1;

        ++_next;
        ++_result.offsetsHandled;
        uint64_t lineNumber = _lineNumber;
        uint64_t lineStart = _lineStart;
        // A match on the LF of a CR LF pair: the pair is one line end, so the
        // match is on the line that the pair ends.
        if (_delimiter == '\r' && pos == _lineStart && pos > 0 && pos < window.End() &&
            window.data[window.Local(pos)] == '\n') {
            --lineNumber;
            lineStart = _previousLineStart;
        }
        if (lineNumber == _lastRecordedLine) continue;
        _lastRecordedLine = lineNumber;
        HitLine& line = _lines[_result.records++];
        line.lineNumber = lineNumber < INT32_MAX ? static_cast<int32_t>(lineNumber) : INT32_MAX;
        line.lineStart = lineStart;
        if (_firstOnly) _next = _count;
    }
    return 0;
}

int LinePass::CountTo(const FileWindow& window, uint64_t until) {
    if (until <= _scanned) return 0;
    const uint64_t end = until < window.End() ? until : window.End();
    // The stretch holds no match: its lines are counted in bulk and only the
    // last two line starts looked for, from its end back.
    const uint32_t from = window.Local(_scanned);
    const uint32_t stop = window.Local(end);
    const uint32_t lines = CountByte(window.data + from, stop - from, _delimiter);
    if (lines > 0) {
        const uint32_t last = LastIndexOf(window.data + from, stop - from, _delimiter);
        _previousLineStart =
            lines > 1 ? window.start + from + LastIndexOf(window.data + from, last, _delimiter) + 1
                      : _lineStart;
        _lineStart = window.start + from + last + 1;
        _lineNumber += lines;
    }
    _scanned = end;
    return _scanned < until;
}

LineTextReader::LineTextReader(uint64_t lineStart, unsigned char delimiter)
    : _position(lineStart), _delimiter(delimiter), _step(toText) {}

int LineTextReader::Read(const FileWindow& window) {
    uint32_t i = window.Local(_position);
    while (i < window.length && _step != done) {
        const unsigned char c = window.data[i];
        switch (_step) {
        case toText: // a delimiter first leaves the text empty
            if (c == _delimiter) {
                _step = done;
            } else if (StartsText(c)) {
                _step = overBlanks;
            } else {
                ++i;
            }
            break;
        case overBlanks:
            if (c == ' ' || c == '\t') {
                ++i;
            } else {
                _step = inText;
            }
            break;
        case inText:
            if (c == _delimiter || _length == maxLineText) {
                _step = done;
            } else {
                _text[_length++] = static_cast<char>(c);
                ++i;
            }
            break;
        case done:
            break;
        }
    }
    _position = window.start + i;
    if (window.last && i == window.length) _step = done;
    return _step == done;
}

#include "search/line_pass.h"

#include <cstring>

#include "search/line_ends.h"

namespace {

inline bool StartsText(unsigned char c) {
    return c == '\t' || c >= 0x20;
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
        CountLinesTo(window, until);
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
    // The stretch holds no match: its lines are counted in bulk.
    CountLinesTo(window, end);
    return _scanned < until;
}

void LinePass::CountLinesTo(const FileWindow& window, uint64_t until) {
    const LineEnds ends =
        CountLineEnds(window.data, window.Local(_scanned), window.Local(until), _delimiter);
    if (ends.count > 0) {
        _lineNumber += ends.count;
        _previousLineStart = ends.count > 1 ? window.start + ends.afterSecondLast : _lineStart;
        _lineStart = window.start + ends.afterLast;
    }
    _scanned = until;
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

#include "search/line_pass.h"

namespace {

inline bool StartsText(unsigned char c) {
    return c == '\t' || c >= 0x20;
}

// The text of the line that starts at `lineStart`: from its first text byte,
// spaces and tabs skipped, to the delimiter, at most maxLineText bytes.
HitLine LineTextAt(const unsigned char* data, uint32_t size, uint32_t lineStart,
                   unsigned char delimiter, int32_t lineNumber) {
    uint32_t p = lineStart;
    while (p < size && data[p] != delimiter && !StartsText(data[p]))
        ++p;
    while (p < size && (data[p] == ' ' || data[p] == '\t'))
        ++p;
    uint32_t end = p;
    while (end < size && end - p < maxLineText && data[end] != delimiter)
        ++end;
    HitLine line;
    line.lineNumber = lineNumber;
    line.textStart = p;
    line.textLength = end - p;
    return line;
}

} // namespace

unsigned char LineDelimiterOf(const unsigned char* data, uint32_t size) {
    uint32_t head = size < maxLineText ? size : maxLineText;
    for (uint32_t i = 0; i < head; ++i) {
        if (data[i] == '\r') return '\r';
    }
    return '\n';
}

LinePass::LinePass(const unsigned char* data, uint32_t size, const int32_t* offsets, int32_t count,
                   int firstOnly)
    : _data(data), _size(size), _offsets(offsets), _count(count), _firstOnly(firstOnly),
      _delimiter(LineDelimiterOf(data, size)) {}

int LinePass::EndsLastLine(uint32_t pos) const {
    return _delimiter == '\r' && pos + 1 == _size && pos == _lineStart && pos > 0 &&
           _data[pos] == '\n';
}

int LinePass::Continue(HitLineSink& sink, int32_t maxLines) {
    int32_t lines = 0;
    while (_next < _count && lines < maxLines) {
        uint32_t pos = static_cast<uint32_t>(_offsets[_next++]);
        // Only the delimiters before the match count: one at `pos` ends the
        // match's own line.
        for (; _scanned < pos; ++_scanned) {
            if (_data[_scanned] == _delimiter) {
                ++_lineNumber;
                _previousLineStart = _lineStart;
                _lineStart = _scanned + 1;
            }
        }
        ++_result.offsetsHandled;
        int32_t lineNumber = _lineNumber;
        uint32_t lineStart = _lineStart;
        if (EndsLastLine(pos)) {
            --lineNumber;
            lineStart = _previousLineStart;
        }
        if (lineNumber == _lastRecordedLine) continue;
        _lastRecordedLine = lineNumber;
        sink.AddHitLine(LineTextAt(_data, _size, lineStart, _delimiter, lineNumber));
        ++_result.records;
        ++lines;
        if (_firstOnly) _next = _count;
    }
    return _next < _count;
}

LinePassResult RunLinePass(const unsigned char* data, uint32_t size, const int32_t* offsets,
                           int32_t count, int firstOnly, HitLineSink& sink) {
    LinePass pass(data, size, offsets, count, firstOnly);
    pass.Continue(sink, count);
    return pass.Result();
}

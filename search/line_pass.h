// The line pass: turns the sorted offsets of the accepted matches of one file
// into one hit line per line that holds a match. Pure: reads the bytes in
// place, in one forward pass that ends near the last offset.
//
// Lines end at the delimiter: CR when a CR lies among the first 160 bytes of
// the file, else LF. A match belongs to the line of its first byte, and a
// delimiter belongs to the line it ends: a match that starts on a delimiter
// (a pattern meeting a line end) is on that line, so no hit line lies past
// the file's last line. In a CR LF file read by CR the LF starts the next
// line, except the LF of a CR LF pair that ends the file, which closes the
// last line. The text of a line begins at its first byte that is a tab or
// from 0x20 up (control bytes, such as the LF of a CR LF pair, never start a
// text), then spaces and tabs are skipped; it runs to the delimiter, at most
// 160 bytes. A line without such a byte has an empty text.
#pragma once

#include <cstdint>

constexpr uint32_t maxLineText = 160; // bytes of a line kept in its hit record

struct HitLine {
    int32_t lineNumber;  // 1-based
    uint32_t textStart;  // offset of the line text in the data
    uint32_t textLength; // at most maxLineText; 0 for an empty text
};

// Receives the hit lines in file order.
class HitLineSink {
public:
    virtual ~HitLineSink() {}
    virtual void AddHitLine(const HitLine& line) = 0;
};

struct LinePassResult {
    int32_t records;         // hit lines handed to the sink
    uint32_t offsetsHandled; // offsets gone through (all of them, unless firstOnly ended early)
};

// The delimiter of the file's lines, as above.
unsigned char LineDelimiterOf(const unsigned char* data, uint32_t size);

// One pass over `count` offsets, each below `size` and in increasing order:
// every line that holds one or more of them gives the sink one hit line. With
// `firstOnly` the pass ends after the first hit line. The pass can be run in
// steps (Continue), so that a caller can take the hit lines out of a region of
// memory that may fault between two steps.
class LinePass {
public:
    LinePass(const unsigned char* data, uint32_t size, const int32_t* offsets, int32_t count,
             int firstOnly);

    // Goes on until `maxLines` more hit lines went to the sink or the pass is
    // done. Returns 1 while offsets remain, 0 when the pass is done.
    int Continue(HitLineSink& sink, int32_t maxLines);

    const LinePassResult& Result() const { return _result; }

private:
    // 1 when the match at `pos` stands on the LF of a CR LF pair that ends
    // the file: that LF closes the last line instead of starting one.
    int EndsLastLine(uint32_t pos) const;

    const unsigned char* _data;
    uint32_t _size;
    const int32_t* _offsets;
    int32_t _count;
    int _firstOnly;
    unsigned char _delimiter;
    int32_t _next = 0;               // index of the next offset
    int32_t _lineNumber = 1;         // line that holds the byte at _scanned
    uint32_t _lineStart = 0;         // first byte of line _lineNumber
    uint32_t _previousLineStart = 0; // first byte of line _lineNumber - 1
    uint32_t _scanned = 0;           // bytes before this were counted for delimiters
    int32_t _lastRecordedLine = 0;   // line of the last hit line, 0 before the first
    LinePassResult _result = {0, 0};
};

// The whole pass in one step.
LinePassResult RunLinePass(const unsigned char* data, uint32_t size, const int32_t* offsets,
                           int32_t count, int firstOnly, HitLineSink& sink);

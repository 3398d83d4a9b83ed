// The line pass: turns the sorted offsets of the accepted matches of one file
// into one hit line per line that holds a match, and reads the text of a hit
// line. Pure: both read the file's bytes in place, a window at a time
// (search/file_windows.h), carrying their state from one window to the next,
// so a file read through sliding windows gives exactly the lines and texts
// of the same file read whole. The pass is one forward scan; the offsets
// come in batches, in order, and the scan of each batch ends at its last
// offset, or, counting on between two batches, where the search stands.
//
// Lines end at the delimiter: CR when a CR lies among the first 160 bytes of
// the file, else LF. A match belongs to the line of its first byte, and a
// delimiter belongs to the line it ends: a match that starts on a delimiter
// (a pattern meeting a line end) is on that line, so no hit line lies past
// the file's last line. In a CR LF file read by CR a CR LF pair is one line
// end: a match that starts on its LF is on the line that the pair ends. The
// text of a line begins at its first byte that is a tab or
// from 0x20 up (control bytes, such as the LF of a CR LF pair, never start a
// text), then spaces and tabs are skipped; it runs to the delimiter, at most
// 160 bytes. A line without such a byte has an empty text.
#pragma once

#include <cstdint>

#include "search/file_windows.h"

constexpr uint32_t maxLineText = 160; // bytes of a line kept in its hit record

struct HitLine {
    int32_t lineNumber; // 1-based; a line past 2^31 - 1 carries 2^31 - 1
    uint64_t lineStart; // offset of the line's first byte in the file
};

struct LinePassResult {
    int32_t records;         // hit lines written for the batch
    uint32_t offsetsHandled; // its offsets gone through (all, unless firstOnly ended early)
};

// The delimiter of lines whose file begins with the `size` bytes at `data`
// (only the first 160 of them are looked at), as above.
unsigned char LineDelimiterOf(const unsigned char* data, uint32_t size);

// One pass over offsets in increasing order, each below the text's length
// or equal to it: every line that holds one or more of them gives one hit
// line. With `firstOnly` the pass ends after the first hit line.
class LinePass {
public:
    LinePass(unsigned char delimiter, int firstOnly);

    // The next batch: `count` offsets, all after those of the batches before;
    // its hit lines go to `lines` (room for `count`), its Result() starts
    // anew. A line that a hit line of an earlier batch named gives none.
    void Start(const uint64_t* offsets, int32_t count, HitLine* lines);

    // Goes through the batch's offsets that lie in `window`, which holds the
    // byte at Scanned(). Returns 1 while offsets remain: the pass goes on in a
    // window that holds Scanned(). Returns 0 when the batch is done.
    int Continue(const FileWindow& window);

    // Counts the lines up to `until`, before which no offset of a later
    // batch lies, in `window`, which holds the byte at Scanned(): so the
    // pass keeps up with the search and never has to read again a window the
    // search has left. Returns 1 while bytes before `until` remain past the
    // window.
    int CountTo(const FileWindow& window, uint64_t until);

    uint64_t Scanned() const { return _scanned; }
    const LinePassResult& Result() const { return _result; }
    unsigned char Delimiter() const { return _delimiter; }

private:
    // Counts the delimiters from Scanned() to `until`, both in `window`.
    void CountLinesTo(const FileWindow& window, uint64_t until);

    const uint64_t* _offsets = nullptr;
    int32_t _count = 0;
    unsigned char _delimiter;
    int _firstOnly;
    HitLine* _lines = nullptr;
    int32_t _next = 0;               // index of the next offset
    uint64_t _lineNumber = 1;        // line that holds the byte at _scanned
    uint64_t _lineStart = 0;         // first byte of line _lineNumber
    uint64_t _previousLineStart = 0; // first byte of line _lineNumber - 1
    uint64_t _scanned = 0;           // bytes before this were counted for delimiters
    uint64_t _lastRecordedLine = 0;  // line of the last hit line, 0 before the first
    LinePassResult _result = {0, 0};
};

// The text of the line that starts at `lineStart`, read window by window.
class LineTextReader {
public:
    // `lineStart` lies in the text or at its end (the text is then empty).
    LineTextReader(uint64_t lineStart, unsigned char delimiter);

    // Reads on in `window`, which holds the byte at Position(). Returns 1
    // when the text is complete.
    int Read(const FileWindow& window);
    // The next byte to read; 1 from Done() once the text is complete.
    uint64_t Position() const { return _position; }
    int Done() const { return _step == done; }

    const char* Text() const { return _text; }
    uint32_t Length() const { return _length; }

private:
    enum Step { toText, overBlanks, inText, done };

    uint64_t _position;
    unsigned char _delimiter;
    Step _step;
    uint32_t _length = 0;
    char _text[maxLineText];
};

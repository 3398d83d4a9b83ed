// The windows of a file's text converted into the code page
// (search/text_encoding.h): the file's own bytes come through another window
// source (the file read or mapped whole, or a view sliding over it), and
// each window of the converted text is converted into one buffer, from a
// point where a character begins. Converting from the file's start, the
// source notes every so often (a 32nd of the buffer) where in the file the
// converted text stands. A window that slides on keeps what it holds from
// the last such point a little before the offset asked (so that the line a
// match near the window's start lies on, which the line pass reads next, is
// still there) and converts on from where it ended; a window asked before
// the present one is converted again from the nearest point. A character
// that straddles the end of the file's window is converted once, whole.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "search/file_windows.h"
#include "search/text_encoding.h"
#include "search/text_walk.h"

class DecodedWindows : public WindowSource {
public:
    // `file` starts with the byte-order mark of `encoding`, if it has one.
    // `window`: the bytes of the converted windows, whose
    // buffer the source allocates; Ready() is false when it could not.
    DecodedWindows(WindowSource& file, TextEncoding encoding, uint32_t window, FilePulse& pulse);

    bool Ready() const { return _buffer != nullptr; }

    uint32_t MaxWindow() const override { return _window; }
    // Converts when the present window does not hold `offset` or does not
    // reach far enough from it. Raises TextFault when the file's bytes could
    // not be read, and whatever the file's source raises.
    FileWindow WindowAt(uint64_t offset) override;
    FileWindow WindowHolding(uint64_t offset) override;
    // An eighth of the window: a window that slides on keeps only that much
    // and what lies behind the offset asked, so each slide moves few bytes
    // and makes room for most of a window of new text. (Two marks lie at
    // most _spacing + 3 bytes apart, so a window starts at most _behind +
    // _spacing + 3 bytes before the offset asked, and a window from a mark
    // fills the buffer but for one byte, so it reaches that far.)
    uint32_t Reach() const override { return _window / 8; }
    bool CostlyToShowAgain() const override { return true; }

private:
    struct Mark {
        uint64_t text; // offset in the converted text
        uint64_t file; // offset in the file where that character begins
    };

    // Fills the window of the text from `start`: `kept` bytes of it are in
    // the buffer already, the conversion goes on from `resume` (by value:
    // the marks grow meanwhile).
    void Convert(uint64_t start, uint32_t kept, Mark resume);
    bool Shows(uint64_t offset) const;

    WindowSource& _file;
    const TextEncoding _encoding;
    const uint32_t _window;
    const uint32_t _spacing; // converted bytes between two marks, about
    // A window starts at the last mark at least this far before the offset
    // asked: a mark's spacing where the window still reaches far enough.
    const uint32_t _behind;
    FilePulse& _pulse;
    std::unique_ptr<unsigned char[]> _buffer;
    std::vector<Mark> _marks; // in increasing order, the first at the text's start
    FileWindow _shown = {nullptr, 0, 0, false};
    Mark _end = {0, 0}; // where the conversion of the window shown ended
    bool _converted = false;
};

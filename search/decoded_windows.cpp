#include "search/decoded_windows.h"

#include <algorithm>
#include <cstring>
#include <new>

DecodedWindows::DecodedWindows(WindowSource& file, TextEncoding encoding, uint32_t window,
                               FilePulse& pulse)
    : _file(file), _encoding(encoding), _window(window),
      _spacing(std::min<uint32_t>(std::max<uint32_t>(window / 32, 64), window / 4)),
      _behind(window - Reach() >= 2 * _spacing + 4 ? _spacing : 0), _pulse(pulse),
      _buffer(new (std::nothrow) unsigned char[window]) {
    _marks.push_back({0, MarkLength(encoding)});
}

bool DecodedWindows::Shows(uint64_t offset) const {
    if (!_converted || offset < _shown.start || offset > _shown.End()) return false;
    if (_shown.last) return true;
    return offset < _shown.End() && _shown.End() - offset >= Reach();
}

FileWindow DecodedWindows::WindowHolding(uint64_t offset) {
    const bool holds = _converted && offset >= _shown.start &&
                       (offset < _shown.End() || (_shown.last && offset == _shown.End()));
    return holds ? _shown : WindowAt(offset);
}

FileWindow DecodedWindows::WindowAt(uint64_t offset) {
    if (Shows(offset)) return _shown;
    do {
        // The last mark at least _behind before the offset; converting from
        // it reaches the offset, or at least a later mark to go on from.
        const uint64_t from = offset > _behind ? offset - _behind : 0;
        const Mark mark =
            *(std::upper_bound(_marks.begin(), _marks.end(), from,
                               [](uint64_t at, const Mark& next) { return at < next.text; }) -
              1);
        if (_converted && mark.text >= _shown.start && mark.text <= _shown.End()) {
            // The window slides on: what it holds from the mark is kept, and
            // the conversion goes on where it ended.
            const uint32_t kept = static_cast<uint32_t>(_shown.End() - mark.text);
            memmove(_buffer.get(), _buffer.get() + (mark.text - _shown.start), kept);
            Convert(mark.text, kept, _end);
        } else {
            Convert(mark.text, 0, mark);
        }
    } while (!_shown.last && offset >= _shown.End());
    return _shown;
}

void DecodedWindows::Convert(uint64_t start, uint32_t kept, Mark resume) {
    // Pieces small enough that the marks lie at most _spacing + 3 bytes
    // apart, and pulses between them.
    const uint32_t piece = std::min<uint32_t>(pulseInterval, _spacing / 2);
    uint64_t text = resume.text;
    uint64_t at = resume.file;
    uint32_t written = kept;
    bool last = false;
    while (!last && written < _window) {
        // The window holding the byte before `at` tells whether the file
        // ends at `at`.
        const FileWindow file = _file.WindowAt(at > 0 ? at - 1 : 0);
        const uint32_t from = file.Local(at);
        // A few bytes past the piece, so that a character the piece's end
        // cuts is taken whole.
        const uint32_t end = file.length - from > piece + 3 ? from + piece + 3 : file.length;
        const bool fileEnds = file.last && end == file.length;
        Conversion done = {0, 0};
        ReadGuarded(file, [&] {
            done = ConvertText(_encoding, file.data + from, end - from, fileEnds,
                               _buffer.get() + written, _window - written);
        });
        at += done.taken;
        written += static_cast<uint32_t>(done.written);
        text += done.written;
        last = fileEnds && from + done.taken == end;
        if (!last && done.taken == 0) break; // the buffer is full
        if (text >= _marks.back().text + _spacing / 2) _marks.push_back({text, at});
        _pulse.Pulse();
    }
    if (!last && text > _marks.back().text) _marks.push_back({text, at});
    _shown = {_buffer.get(), start, written, last};
    _end = {text, at};
    _converted = true;
}

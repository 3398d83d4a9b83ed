#include "search/read_windows.h"

#include <cstring>

#include "search/text_walk.h"

namespace {

// How far before the offset asked a window that slides starts: room for the
// start of the line that offset lies on, in all but very long lines (whose
// start is then read again).
constexpr uint32_t behindOffset = 16u << 10;

} // namespace

ReadWindows::ReadWindows(File& file, uint64_t size, unsigned char* buffer, uint32_t window)
    : _file(file), _size(size), _buffer(buffer), _window(window) {}

bool ReadWindows::Holds(uint64_t offset) const {
    return _shown.data != nullptr && offset >= _shown.start &&
           (offset < _shown.End() || (_shown.last && offset == _shown.End()));
}

FileWindow ReadWindows::WindowHolding(uint64_t offset) {
    return Holds(offset) ? _shown : WindowAt(offset);
}

FileWindow ReadWindows::WindowAt(uint64_t offset) {
    if (Holds(offset) && (_shown.last || _shown.End() - offset >= Reach())) return _shown;
    const uint64_t start = offset > behindOffset ? offset - behindOffset : 0;
    const uint64_t left = _size - start;
    const uint32_t length = static_cast<uint32_t>(left < _window ? left : _window);
    // What the present window holds of the new one moves to the buffer's
    // start; only the rest is read.
    uint32_t kept = 0;
    if (_shown.data != nullptr && start >= _shown.start && start < _shown.End()) {
        kept = static_cast<uint32_t>(_shown.End() - start);
        if (kept > length) kept = length;
        memmove(_buffer, _buffer + (start - _shown.start), kept);
    }
    _shown.data = nullptr; // until the new window is read whole
    const uint32_t wanted = length - kept;
    if (_file.ReadAt(start + kept, _buffer + kept, wanted) != static_cast<int64_t>(wanted))
        throw TextFault();
    _shown = {_buffer, start, length, start + length == _size};
    return _shown;
}

#include "search/file_windows.h"

MemoryWindows::MemoryWindows(const unsigned char* data, uint64_t size, uint32_t window,
                             bool terminated)
    : _data(data), _size(size),
      _window(window ? window : static_cast<uint32_t>(size < UINT32_MAX ? size : UINT32_MAX)),
      _terminated(terminated) {}

const char* MemoryWindows::TerminatedText() const {
    // Only a text shown in one window is whole in each window.
    return _terminated && _window >= _size ? reinterpret_cast<const char*>(_data) : nullptr;
}

FileWindow MemoryWindows::WindowAt(uint64_t offset) {
    const uint64_t left = _size - offset;
    FileWindow window;
    window.data = _data + offset;
    window.start = offset;
    window.length = static_cast<uint32_t>(left < _window ? left : _window);
    window.last = window.End() == _size;
    return window;
}

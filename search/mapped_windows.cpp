#include "search/mapped_windows.h"

MappedWindows::MappedWindows(MappedFile& file, uint32_t window) : _file(file), _window(window) {}

FileWindow MappedWindows::WindowAt(uint64_t offset) {
    const uint64_t size = _file.GetMappingSize();
    const uint64_t end = _view ? _start + _view->GetSize() : 0;
    if (!_view || !_view->GetBase() || offset < _start || offset >= end ||
        (end - offset < Reach() && end < size)) {
        _start = offset - offset % MappedFile::viewGranularity;
        const uint64_t left = size - _start;
        const uint32_t length = static_cast<uint32_t>(left < _window ? left : _window);
        if (_view) {
            _view->Unmap();
            _view->Map(_start, length);
        } else {
            _view = _file.AddView(_start, length);
        }
    }
    FileWindow window;
    window.data = reinterpret_cast<const unsigned char*>(_view->GetBase());
    window.start = _start;
    window.length = _view->GetSize();
    window.last = window.End() == size;
    return window;
}

// A mapped file shown through one view that slides over it: the windows of a
// file that cannot be mapped whole (search/file_windows.h).
#pragma once

#include "fs/mapped_file.h"
#include "search/file_windows.h"

class MappedWindows : public WindowSource {
public:
    // `window` is a multiple of MappedFile::viewGranularity, at least two of
    // them. The file stays the caller's; its view is deleted with it.
    MappedWindows(MappedFile& file, uint32_t window);

    uint32_t MaxWindow() const override { return _window; }
    // Keeps the present view when it holds the offset and reaches far
    // enough; else maps the view again from the granularity boundary at or
    // before the offset. Raises as MappedFile::AddView does.
    FileWindow WindowAt(uint64_t offset) override;
    uint32_t Reach() const override { return _window - MappedFile::viewGranularity; }

private:
    MappedFile& _file;
    uint32_t _window;
    MappedFile::View* _view = nullptr;
    uint64_t _start = 0; // file offset of the view's first byte
};

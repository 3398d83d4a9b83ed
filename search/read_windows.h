// A file read through one buffer that slides over it: the windows of a file
// larger than the buffer (search/file_windows.h) where reading costs only a
// copy, natively. A mapping of the whole file would count every page it
// touched as resident; the buffer keeps the search's memory to its own size.
#pragma once

#include <cstdint>

#include "fs/file.h"
#include "search/file_windows.h"

class ReadWindows : public WindowSource {
public:
    // `buffer` holds `window` bytes (at least 64 KiB) and `file` `size`
    // bytes, as its size read at its open told; both stay the caller's.
    ReadWindows(File& file, uint64_t size, unsigned char* buffer, uint32_t window);

    uint32_t MaxWindow() const override { return _window; }
    // Keeps the present window when it holds `offset` and reaches Reach()
    // past it or ends the file; else slides the window to start a little
    // before `offset` (so that the line a match near its start lies on is
    // still there), keeping what it holds of the new window and reading the
    // rest. Raises TextFault when the file cannot be read or ends short of
    // its size.
    FileWindow WindowAt(uint64_t offset) override;
    FileWindow WindowHolding(uint64_t offset) override;
    // A quarter of the window: each slide keeps little and reads most of a
    // window of new bytes.
    uint32_t Reach() const override { return _window / 4; }
    // A window shown again is read again.
    bool CostlyToShowAgain() const override { return true; }
    bool ReadIntoBuffer() const override { return true; }

private:
    bool Holds(uint64_t offset) const;

    File& _file;
    const uint64_t _size;
    unsigned char* const _buffer;
    const uint32_t _window;
    FileWindow _shown = {nullptr, 0, 0, false};
};

// A file's text a window at a time. The search reads a file that fits in
// the address space through one window that holds all of it; a file that
// does not (too little room left, or 4 GiB and more) through windows that
// slide over it; text converted from another encoding through windows of its
// converted form (search/decoded_windows.h), whose length is known only once
// its end has been reached. Offsets in the text are 64-bit everywhere.
#pragma once

#include <cstdint>

// `length` bytes of the file from byte `start`, in memory at `data`.
struct FileWindow {
    const unsigned char* data;
    uint64_t start;
    uint32_t length;
    bool last; // the text ends where the window does

    uint64_t End() const { return start + length; }
    // The offset of file byte `offset` inside the window; the caller knows
    // that the window holds it.
    uint32_t Local(uint64_t offset) const { return static_cast<uint32_t>(offset - start); }
};

// Where the windows come from. A window stays valid until the next call of
// WindowAt; its bytes may still vanish while they are read (a mapped file cut
// short), so readers scan them under a fault guard.
class WindowSource {
public:
    virtual ~WindowSource() {}
    // The longest window the source shows; a window is shorter only where
    // the file ends.
    virtual uint32_t MaxWindow() const = 0;
    // A window that holds the byte at `offset` (which the text holds: the
    // end of a window shown before that was not the last, or a byte before
    // it) and goes on from it for at least Reach() bytes or up to the end of
    // the text.
    // Raises when the bytes cannot be shown.
    virtual FileWindow WindowAt(uint64_t offset) = 0;
    // A window that holds the byte at `offset`, or ends the text there,
    // however far it reaches past it: the one shown, when it does.
    virtual FileWindow WindowHolding(uint64_t offset) { return WindowAt(offset); }
    // How far every window reaches past the offset it was asked for.
    virtual uint32_t Reach() const = 0;
    // Whether a window shown again costs what it cost the first time (text
    // converted from another encoding): the search then makes its records
    // of a window before it leaves it. Mapping or pointing costs little.
    virtual bool CostlyToShowAgain() const { return false; }
    // The whole text, followed in memory by a zero byte, where the source
    // holds it so (a file read whole); null otherwise. A reader that needs a
    // zero-terminated text reads it there rather than copy it.
    virtual const char* TerminatedText() const { return nullptr; }
    // Whether the windows are read into a buffer (search/read_windows.h), so
    // that a pass through the file's bytes alone, to rule it out, costs less
    // than the passes of its search.
    virtual bool ReadIntoBuffer() const { return false; }
};

// A block of memory holding the whole file, shown in windows of `window`
// bytes (0: the whole block at once) that start exactly where asked. An
// empty block is one empty last window.
// With `terminated`, a zero byte follows the block in memory.
class MemoryWindows : public WindowSource {
public:
    MemoryWindows(const unsigned char* data, uint64_t size, uint32_t window = 0,
                  bool terminated = false);

    uint32_t MaxWindow() const override { return _window; }
    FileWindow WindowAt(uint64_t offset) override;
    uint32_t Reach() const override { return _window; }
    const char* TerminatedText() const override;

private:
    const unsigned char* _data;
    uint64_t _size;
    uint32_t _window;
    bool _terminated;
};

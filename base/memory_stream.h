// MemoryStream: a byte buffer with a cursor. A writing stream builds data in a
// buffer of its own that grows on demand (global allocation: malloc/realloc/
// free); a reading stream walks a buffer that its creator keeps and that it
// never writes to. ReadLine and ReadCString (text_utils.h) read from the
// cursor. Allocation failure throws std::bad_alloc and leaves the stream as it
// was; writing to a reading stream throws std::logic_error.
// Foundation interface without a caller in the library: kept for programs
// built on the foundation, and tested in tests/base.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/string.h"

class MemoryStream {
public:
    enum { minimumGrowthStep = 32 };

    // An empty writing stream that grows by at least max(growthStep, 32) bytes
    // at a time. When `freeOnDestroy` is 0 the destructor leaves the buffer
    // to whoever took it with GetBuffer (who frees it with free()).
    explicit MemoryStream(uint32_t growthStep = minimumGrowthStep, int freeOnDestroy = 1);
    // A reading stream over `size` bytes at `buffer`, cursor at the start.
    MemoryStream(const void* buffer, uint32_t size);
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    virtual ~MemoryStream();

    // Frees an owned buffer (whatever free-on-destroy says), then starts again
    // as an empty writing stream.
    void Reset(uint32_t growthStep = minimumGrowthStep, int freeOnDestroy = 1);
    // Hands the buffer to the caller (free it with free()) and starts again as
    // an empty writing stream with the same settings. Null when empty.
    char* TakeBuffer();

    // ---- Writing: each writes at the cursor and advances it.
    void Write(const void* bytes, uint32_t count);
    void WriteRepeated(uint8_t byte, uint32_t count);
    // The text's characters, plus its terminating zero when `withZero` is set.
    void WriteText(const char* text, int withZero);
    void WriteString(const String& text, int withZero);
    // The characters followed by a carriage return and a line feed.
    void WriteLine(const char* text);
    void WriteLine(const String& text);

    // ---- Reading: copies up to `count` bytes from the cursor, never past the
    // end of the buffer, advances the cursor; returns the number copied.
    uint32_t Read(void* destination, uint32_t count);

    // The buffer start (null for an empty writing stream), the cursor and its
    // offset, and the bytes left between the cursor and the end of the buffer.
    char* GetBuffer() const { return _start; }
    const char* GetCursor() const { return _cursor; }
    uint32_t GetPosition() const { return static_cast<uint32_t>(_cursor - _start); }
    uint32_t GetCapacity() const { return _capacity; }
    uint32_t GetRemaining() const { return _capacity - GetPosition(); }
    // Moves the cursor `count` bytes on, at most to the end of the buffer.
    void Skip(uint32_t count);

private:
    void Grow(uint32_t count);
    void Release();

    uint32_t _growthStep; // at least 32 for a writing stream; 0 for a reading one
    char* _start;         // buffer start; null until a writing stream first writes
    char* _cursor;        // next byte to write or read
    uint32_t _capacity;   // bytes at _start
    int _ownsBuffer;      // a writing stream's own buffer (global allocation)
    int _freeOnDestroy;   // the destructor frees an owned buffer
};

#include "base/memory_stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

MemoryStream::MemoryStream(uint32_t growthStep, int freeOnDestroy)
    : _growthStep(std::max<uint32_t>(growthStep, minimumGrowthStep)), _start(nullptr),
      _cursor(nullptr), _capacity(0), _ownsBuffer(1), _freeOnDestroy(freeOnDestroy) {}

MemoryStream::MemoryStream(const void* buffer, uint32_t size)
    : _growthStep(0), _start(static_cast<char*>(const_cast<void*>(buffer))), _cursor(_start),
      _capacity(size), _ownsBuffer(0), _freeOnDestroy(0) {}

MemoryStream::~MemoryStream() {
    if (_freeOnDestroy) Release();
}

void MemoryStream::Release() {
    if (_ownsBuffer) free(_start);
    _start = _cursor = nullptr;
    _capacity = 0;
}

void MemoryStream::Reset(uint32_t growthStep, int freeOnDestroy) {
    Release();
    _growthStep = std::max<uint32_t>(growthStep, minimumGrowthStep);
    _ownsBuffer = 1;
    _freeOnDestroy = freeOnDestroy;
}

char* MemoryStream::TakeBuffer() {
    char* buffer = _start;
    _start = _cursor = nullptr;
    _capacity = 0;
    return buffer;
}

// The new capacity is the larger of what is needed and one growth step more;
// the cursor keeps its offset when realloc moves the buffer.
void MemoryStream::Grow(uint32_t count) {
    const uint32_t position = GetPosition();
    const uint32_t needed = position + count;
    if (needed < position) throw std::bad_alloc(); // beyond 4 GB
    uint32_t capacity = _capacity + _growthStep;
    if (capacity < _capacity || capacity < needed) capacity = needed;
    char* buffer = static_cast<char*>(realloc(_start, capacity));
    if (!buffer) throw std::bad_alloc(); // the old buffer stays valid
    _start = buffer;
    _cursor = buffer + position;
    _capacity = capacity;
}

void MemoryStream::Write(const void* bytes, uint32_t count) {
    if (count == 0) return;
    if (!_ownsBuffer) throw std::logic_error("MemoryStream: writing to a reading stream");
    if (count > GetRemaining()) Grow(count);
    memcpy(_cursor, bytes, count);
    _cursor += count;
}

void MemoryStream::WriteRepeated(uint8_t byte, uint32_t count) {
    if (count == 0) return;
    if (!_ownsBuffer) throw std::logic_error("MemoryStream: writing to a reading stream");
    if (count > GetRemaining()) Grow(count);
    memset(_cursor, byte, count);
    _cursor += count;
}

void MemoryStream::WriteText(const char* text, int withZero) {
    if (!text) text = "";
    Write(text, static_cast<uint32_t>(strlen(text) + (withZero ? 1 : 0)));
}

void MemoryStream::WriteString(const String& text, int withZero) {
    Write(text.c_str(), static_cast<uint32_t>(text.size() + (withZero ? 1 : 0)));
}

void MemoryStream::WriteLine(const char* text) {
    WriteText(text, 0);
    Write("\r\n", 2);
}

void MemoryStream::WriteLine(const String& text) {
    WriteString(text, 0);
    Write("\r\n", 2);
}

uint32_t MemoryStream::Read(void* destination, uint32_t count) {
    count = std::min(count, GetRemaining());
    if (count) memcpy(destination, _cursor, count);
    _cursor += count;
    return count;
}

void MemoryStream::Skip(uint32_t count) {
    _cursor += std::min(count, GetRemaining());
}

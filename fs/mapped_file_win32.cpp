// MappedFile over the Win32 file-mapping functions (the views as a list:
// mapped_file.cpp).
#include "fs/mapped_file.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "base/exception.h"
#include "fs/fault_guard.h"
#include "fs/file_calls_win32.h"
#include "fs/file_errors.h"

namespace {

// A mapping or view that could not be made: lack of memory has its own message.
[[noreturn]] void RaiseMappingFailure(DWORD error) {
    Raise(error == ERROR_NOT_ENOUGH_MEMORY ? msgVirtualMemory : msgMappingFailed, error);
}

// The code carried when the first byte of a new view cannot be read.
constexpr int32_t firstByteUnreadable = 4;

// A write into the new tail of a grown mapping faulted: the disk had no room
// left for the new pages, or the medium went away. The volume tells which: a
// volume that cannot be asked is gone; one with less room than the tail
// needs is full; otherwise the write failed for a reason of its own.
[[noreturn]] void RaiseFillFailure(const FileName& name, uint32_t tailSize) {
    const String directory = name.GetDirectory() + "\\";
    ULARGE_INTEGER available;
    if (!fileCalls.GetDiskFreeSpaceExA(directory.c_str(), &available, nullptr, nullptr))
        Raise(msgWriteFailed, GetLastError());
    if (available.QuadPart < tailSize)
        RaiseWriteFailure(name, ERROR_HANDLE_DISK_FULL, msgWriteFailed);
    Raise(msgWriteFailed, ERROR_WRITE_FAULT);
}

} // namespace

// ---- Views

void MappedFile::View::Map(uint64_t offset, uint32_t size) {
    const uint64_t mappingSize = _owner->_mappingSize;
    // An offset at or past the end is left for the platform to refuse.
    const uint64_t viewSize = size ? size : (offset < mappingSize ? mappingSize - offset : 0);
    // A view of 4 GiB or more cannot be counted in 32 bits (nor fit in memory).
    if (viewSize >> 32) RaiseMappingFailure(ERROR_FILE_TOO_LARGE);
    void* base =
        fileCalls.MapViewOfFile(_owner->_mapping, _owner->_viewAccess,
                                static_cast<DWORD>(offset >> 32), static_cast<DWORD>(offset), size);
    if (!base) RaiseMappingFailure(GetLastError());
    _base = static_cast<char*>(base);
    _size = static_cast<uint32_t>(viewSize);
    uint8_t first;
    if (_size && !ProbeByte(_base, &first)) {
        Unmap();
        Raise(msgOpenFailed, firstByteUnreadable);
    }
}

void MappedFile::View::Unmap() {
    if (!_base) return;
    fileCalls.UnmapViewOfFile(_base);
    _base = nullptr;
}

// ---- The mapping

void MappedFile::OpenMapping(uint32_t maxSize) {
    if (!_file->IsOpen()) Raise(msgOpenFailed, GetLastError());
    if (_file->GetMode() & openReadWrite) {
        _protection = PAGE_READWRITE;
        _viewAccess = FILE_MAP_READ | FILE_MAP_WRITE;
    } else {
        _protection = PAGE_READONLY;
        _viewAccess = FILE_MAP_READ;
    }
    _mapping =
        fileCalls.CreateFileMappingA(_file->GetHandle(), nullptr, _protection, 0, maxSize, nullptr);
    if (!_mapping) {
        const DWORD error = GetLastError();
        if (error == ERROR_NOT_ENOUGH_MEMORY) RaiseMappingFailure(error);
        RaiseWriteFailure(_file->GetName(), error, msgMappingFailed);
    }
    if (maxSize) {
        _mappingSize = maxSize;
        return;
    }
    DWORD high = 0;
    const DWORD low = fileCalls.GetFileSize(_file->GetHandle(), &high);
    _mappingSize = (uint64_t(high) << 32) | low;
}

void MappedFile::CloseMapping() {
    if (!_mapping) return;
    fileCalls.CloseHandle(_mapping);
    _mapping = nullptr;
}

char* MappedFile::Resize(uint32_t newSize, int zeroFill) {
    const uint32_t oldSize = _file->GetSize();
    if (!_mapping || newSize == oldSize) return nullptr;
    View* first = _views.GetHead();
    DeleteViews(first);
    if (first) first->Unmap();
    CloseMapping();
    try {
        OpenMapping(newSize);
    } catch (...) {
        if (first) _views.Delete(first);
        throw;
    }
    if (first)
        first->Map(0, 0);
    else
        first = AddView(0, 0);
    if (zeroFill && oldSize < newSize) {
        // The new pages get their room on the disk when first written; a
        // file system that has none left faults on the write.
        char* tail = first->GetBase() + oldSize;
        const uint32_t tailSize = newSize - oldSize;
        auto fill = [tail, tailSize] { std::memset(tail, 0, tailSize); };
        if (!RunGuarded(tail, tailSize, fill)) RaiseFillFailure(_file->GetName(), tailSize);
    }
    return first->GetBase();
}

char* MappedFile::GrowBy(uint32_t delta, int zeroFill) {
    return Resize(_file->GetSize() + delta, zeroFill);
}

// ---- Comparing two files

namespace {

// Finds the first differing byte of two views of `size` bytes; guarded by the
// caller, so it holds nothing that needs releasing.
struct FirstDifference {
    const char* first;
    const char* second;
    uint32_t size;
    uint32_t position; // out: `size` when the views are equal
    void operator()() {
        position = 0;
        while (position < size && first[position] == second[position])
            ++position;
    }
};

} // namespace

int MappedFile::Compare(const FileName& first, const FileName& second, int32_t* offset) {
    int32_t ignored;
    int32_t& where = offset ? *offset : ignored;
    if (first.Compare(&second, 0) == 0 && File::Exists(first)) {
        where = 0;
        return 1;
    }
    try {
        if (File::SizeOf(first) != File::SizeOf(second)) {
            where = -1;
            return 0;
        }
        MappedFile a(first, openRead), b(second, openRead);
        FirstDifference scan{a.GetData(), b.GetData(), a.GetSize(), 0};
        // A fault in either view ends the comparison as a failure to read.
        auto scanSecond = [&] {
            if (!RunGuarded(b.GetData(), b.GetSize(), scan)) scan.position = UINT32_MAX;
        };
        if (!RunGuarded(a.GetData(), a.GetSize(), scanSecond) || scan.position == UINT32_MAX) {
            where = -2;
            return 0;
        }
        if (scan.position == scan.size) {
            where = 0;
            return 1;
        }
        where = static_cast<int32_t>(scan.position);
        return 0;
    } catch (const std::exception&) {
        where = -2;
        return 0;
    }
}

// MappedFile natively, over mmap: POSIX has no mapping object, so the views
// map the file's descriptor directly and the mapping is only its size, open
// while _mapping holds the file's handle. Failures carry the codes the
// Windows build's carry (fs/file_errors.h): an empty file cannot be mapped,
// a view of 4 GiB or more is too large, and one the address space has no
// room for is a lack of memory.
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "base/exception.h"
#include "fs/fault_guard.h"
#include "fs/file_errors.h"
#include "fs/mapped_file.h"
#include "fs/posix_file.h"

namespace {

// What the Windows build reports for a mapping of an empty file.
constexpr int32_t errorFileInvalid = 1006;
// The code carried when the first byte of a new view cannot be read.
constexpr int32_t firstByteUnreadable = 4;

[[noreturn]] void RaiseMappingFailure(int32_t code) {
    Raise(code == errorNotEnoughMemory ? msgVirtualMemory : msgMappingFailed, code);
}

int DescriptorOf(const File& file) {
    return static_cast<int>(reinterpret_cast<intptr_t>(file.GetHandle()));
}

} // namespace

void MappedFile::View::Map(uint64_t offset, uint32_t size) {
    const uint64_t mappingSize = _owner->_mappingSize;
    const uint64_t viewSize = size ? size : (offset < mappingSize ? mappingSize - offset : 0);
    if (viewSize >> 32) RaiseMappingFailure(errorFileTooLarge);
    if (viewSize == 0 || offset >= mappingSize) RaiseMappingFailure(errorFileInvalid);
    void* base = mmap(nullptr, viewSize, static_cast<int>(_owner->_viewAccess), MAP_SHARED,
                      DescriptorOf(*_owner->_file), static_cast<off_t>(offset));
    if (base == MAP_FAILED) RaiseMappingFailure(FileErrorOf(errno));
    _base = static_cast<char*>(base);
    _size = static_cast<uint32_t>(viewSize);
    uint8_t first;
    if (!ProbeByte(_base, &first)) {
        Unmap();
        Raise(msgOpenFailed, firstByteUnreadable);
    }
}

void MappedFile::View::Unmap() {
    if (!_base) return;
    munmap(_base, _size);
    _base = nullptr;
}

void MappedFile::OpenMapping(uint32_t maxSize) {
    if (!_file->IsOpen()) Raise(msgOpenFailed, errorFileNotFound);
    _viewAccess = (_file->GetMode() & openReadWrite) ? PROT_READ | PROT_WRITE : PROT_READ;
    const uint64_t fileSize = _file->GetSize64();
    // A larger size would extend the file, which only a writable mapping may.
    if (maxSize > fileSize && !(_viewAccess & PROT_WRITE)) RaiseMappingFailure(errorAccessDenied);
    if (maxSize > fileSize && ftruncate(DescriptorOf(*_file), maxSize) != 0)
        RaiseWriteFailure(_file->GetName(), FileErrorOf(errno), msgMappingFailed);
    _mappingSize = maxSize ? maxSize : fileSize;
    if (_mappingSize == 0) RaiseMappingFailure(errorFileInvalid);
    _mapping = _file->GetHandle();
}

void MappedFile::CloseMapping() {
    _mapping = nullptr;
}

// File's static operations on named files: existence, size, attributes,
// times, whole-file reading and writing, delete and rename.
#include <windows.h>

#include <memory>

#include "base/exception.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_calls_win32.h"
#include "fs/file_errors.h"

int File::Exists(const FileName& name) {
    if (fileCalls.GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    return GetLastError() == ERROR_ACCESS_DENIED ? 1 : 0;
}

uint32_t File::SizeOf(const FileName& name) {
    WIN32_FIND_DATAA found;
    const HANDLE search = fileCalls.FindFirstFileA(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) Raise(msgOpenFailed, GetLastError());
    fileCalls.FindClose(search);
    return found.nFileSizeLow;
}

int File::IsReadOnly(const FileName& name) {
    const int32_t attributes = GetAttributesOf(name);
    return attributes != -1 && (attributes & attributeReadOnly) ? 1 : 0;
}

int32_t File::GetAttributesOf(const FileName& name) {
    const DWORD attributes = fileCalls.GetFileAttributesA(name.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? -1 : AttributesFromPlatform(attributes);
}

int File::SetAttributesOf(const FileName& name, int32_t attributes, int raise) {
    if (fileCalls.SetFileAttributesA(name.c_str(), AttributesToPlatform(attributes))) return 1;
    if (raise) Raise(msgAttributesFailed, GetLastError());
    return 0;
}

void File::GetDateTimeOf(const FileName& name, uint16_t* date, uint16_t* time) {
    File(name, readWholeOpenMode).GetDateTime(date, time);
}

int File::GetTimesOf(const FileName& name, FILETIME* creation, FILETIME* lastAccess,
                     FILETIME* lastWrite) {
    return File(name, readTimesOpenMode).GetTimes(creation, lastAccess, lastWrite);
}

int File::SetTimesOf(const FileName& name, const FILETIME* creation, const FILETIME* lastAccess,
                     const FILETIME* lastWrite) {
    return File(name, writeTimesOpenMode).SetTimes(creation, lastAccess, lastWrite);
}

// ---- Whole files

void* File::ReadWholeFile(const FileName& name, uint32_t* size, void* buffer) {
    const uint32_t count = SizeOf(name);
    File file(name, readWholeOpenMode);
    // A size that does not fit the 32-bit count would read a part of the
    // file and pass it off as the whole.
    if (file.GetSize64() >> 32) Raise(msgReadFailed, ERROR_FILE_TOO_LARGE);
    struct Release {
        void operator()(void* memory) const { ::operator delete(memory); }
    };
    std::unique_ptr<void, Release> allocated(buffer ? nullptr : ::operator new(count));
    void* target = buffer ? buffer : allocated.get();
    file.Read(target, count, 1);
    if (size) *size = count;
    allocated.release();
    return target;
}

void File::WriteWholeFile(const FileName& name, const void* data, uint32_t count) {
    File(name, writeWholeOpenMode).Write(data, count);
}

// ---- Delete and rename

int File::Remove(const FileName& name, int raise, int clearReadOnly) {
    if (!Exists(name)) return 1;
    if (fileCalls.DeleteFileA(name.c_str())) return 1;
    DWORD error = GetLastError();
    if (clearReadOnly && IsReadOnly(name)) {
        if (SetAttributesOf(name, GetAttributesOf(name) & ~attributeReadOnly, raise)) {
            if (fileCalls.DeleteFileA(name.c_str())) return 1;
            error = GetLastError();
        }
    }
    if (raise) Raise(msgDeleteFailed, error);
    return 0;
}

void File::Rename(const FileName& oldName, const FileName& newName) {
    if (!fileCalls.MoveFileA(oldName.c_str(), newName.c_str()))
        Raise(msgRenameFailed, GetLastError());
}

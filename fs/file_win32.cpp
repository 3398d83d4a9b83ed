// File: the open file and its data, time, attribute and lock operations.
#include "fs/file.h"

#include <windows.h>

#include "base/exception.h"
#include "fs/file_attributes.h"
#include "fs/file_calls_win32.h"
#include "fs/file_errors.h"
#include "fs/walk_path_win32.h"

static_assert(win32_open::genericRead == GENERIC_READ &&
                  win32_open::genericWrite == GENERIC_WRITE &&
                  win32_open::shareRead == FILE_SHARE_READ &&
                  win32_open::shareWrite == FILE_SHARE_WRITE &&
                  win32_open::createAlways == CREATE_ALWAYS &&
                  win32_open::openExisting == OPEN_EXISTING &&
                  win32_open::attributeHidden == FILE_ATTRIBUTE_HIDDEN &&
                  win32_open::attributeNormal == FILE_ATTRIBUTE_NORMAL &&
                  win32_open::attributeTemporary == FILE_ATTRIBUTE_TEMPORARY &&
                  win32_open::flagWriteThrough == FILE_FLAG_WRITE_THROUGH &&
                  win32_open::flagRandomAccess == FILE_FLAG_RANDOM_ACCESS &&
                  win32_open::flagSequentialScan == FILE_FLAG_SEQUENTIAL_SCAN &&
                  win32_open::flagDeleteOnClose == FILE_FLAG_DELETE_ON_CLOSE,
              "the open-mode translation uses the Win32 values");

File::Handle const File::invalidHandle = INVALID_HANDLE_VALUE;

File::File() : _handle(invalidHandle) {}

File::File(Handle handle) : _handle(handle) {}

File::File(const FileName& name, uint32_t mode) : _handle(invalidHandle) {
    Open(name, mode);
}

File::~File() {
    Close();
    if (_deleteOnDestroy) Remove(_name, 0, 1);
}

void File::Open(const FileName& name, uint32_t mode) {
    _mode = CompleteOpenMode(mode);
    _name = (mode & openTempName) ? MakeTempName(name) : name;
    if ((_mode & openClearReadOnly) && Exists(_name))
        SetAttributesOf(_name, GetAttributesOf(_name) & ~attributeReadOnly, 1);

    const OpenParameters open = TranslateOpenMode(_mode);
    _handle = (_mode & openWalkPath)
                  ? fileCalls.CreateFileW(PlatformPathOf(_name.c_str()).c_str(), open.access,
                                          open.share, nullptr, open.creation, open.flags, nullptr)
                  : fileCalls.CreateFileA(_name.c_str(), open.access, open.share, nullptr,
                                          open.creation, open.flags, nullptr);
    if (_handle != invalidHandle) return;
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) RaiseInUse(_name);
    Raise(msgOpenFailed, error);
}

void File::Close() {
    if (!IsOpen()) return;
    fileCalls.CloseHandle(_handle);
    _handle = invalidHandle;
    if ((_mode & openClearReadOnly) && Exists(_name))
        SetAttributesOf(_name, GetAttributesOf(_name) | attributeReadOnly, 0);
}

// ---- Data

uint64_t File::GetSize64() const {
    DWORD high = 0;
    const DWORD low = fileCalls.GetFileSize(_handle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (uint64_t(high) << 32) | low;
}

uint32_t File::GetSize() const {
    return static_cast<uint32_t>(GetSize64());
}

int File::Read(void* buffer, uint32_t count, int raise) {
    if (count == 0) return 1;
    DWORD transferred = 0;
    const BOOL ok = fileCalls.ReadFile(_handle, buffer, count, &transferred, nullptr);
    const DWORD error = GetLastError();
    _lastCount = ok ? static_cast<int32_t>(transferred) : -1;
    if (ok && transferred == count) return 1;
    if (raise) Raise(msgReadFailed, ok ? ERROR_HANDLE_EOF : error);
    return 0;
}

int64_t File::ReadAt(uint64_t offset, void* buffer, uint32_t count) {
    char* into = static_cast<char*>(buffer);
    uint32_t transferred = 0;
    while (transferred < count) {
        // A synchronous handle reads at the offset the OVERLAPPED names.
        const uint64_t from = offset + transferred;
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(from);
        at.OffsetHigh = static_cast<DWORD>(from >> 32);
        DWORD got = 0;
        if (!fileCalls.ReadFile(_handle, into + transferred, count - transferred, &got, &at))
            return GetLastError() == ERROR_HANDLE_EOF ? static_cast<int64_t>(transferred) : -1;
        if (got == 0) break;
        transferred += got;
    }
    return transferred;
}

void File::Write(const void* buffer, uint32_t count) {
    if (count == 0) return;
    DWORD transferred = 0;
    SetLastError(NO_ERROR);
    if (fileCalls.WriteFile(_handle, buffer, count, &transferred, nullptr) && transferred == count)
        return;
    // A write that stops short without an error has run out of room.
    DWORD error = GetLastError();
    if (error == NO_ERROR) error = ERROR_HANDLE_DISK_FULL;
    RaiseWriteFailure(_name, error, msgWriteFailed);
}

uint32_t File::Seek(int32_t offset, int origin) {
    const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (origin < 0 || origin > 2) Raise(msgSeekFailed, ERROR_INVALID_PARAMETER);
    SetLastError(NO_ERROR);
    const DWORD position = fileCalls.SetFilePointer(_handle, offset, nullptr, methods[origin]);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        Raise(msgSeekFailed, GetLastError());
    return position;
}

void File::SetSize(uint32_t size) {
    // The high half given as 0 makes the offset unsigned: sizes up to 4 GiB.
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD error = NO_ERROR;
    if (fileCalls.SetFilePointer(_handle, static_cast<LONG>(size), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        error = GetLastError();
    else if (!fileCalls.SetEndOfFile(_handle))
        error = GetLastError();
    if (GetSize64() == size) return;
    RaiseWriteFailure(_name, error, msgResizeFailed);
}

void File::WriteString(const String& text, int withNul) {
    Write(text.c_str(), static_cast<uint32_t>(text.size()) + (withNul ? 1 : 0));
}

void File::WriteLine(const String& text, char first, int second) {
    String line(text);
    line += first;
    if (second != -1) line += static_cast<char>(second);
    Write(line.data(), static_cast<uint32_t>(line.size()));
}

String File::ReadLine() {
    String line;
    // A position at or past the end (Seek allows one) leaves nothing to read.
    const uint32_t size = GetSize();
    const uint32_t position = Seek(0, 1);
    const uint32_t left = position < size ? size - position : 0;
    for (uint32_t i = 0; i < left; ++i) {
        char c;
        if (!Read(&c, 1, 0)) continue;
        if (c == '\0' || c == '\n') break;
        if (c == '\r') {
            char next;
            Read(&next, 1, 1);
            if (next != '\n') Seek(-1, 1);
            break;
        }
        line += c;
    }
    return line;
}

int File::Flush() {
    return fileCalls.FlushFileBuffers(_handle) ? 1 : 0;
}

// ---- Times and attributes

void File::GetDateTime(uint16_t* date, uint16_t* time) const {
    FILETIME lastWrite;
    WORD dosDate = 0, dosTime = 0;
    if (!fileCalls.GetFileTime(_handle, nullptr, nullptr, &lastWrite) ||
        !FileTimeToDosDateTime(&lastWrite, &dosDate, &dosTime))
        dosDate = dosTime = 0;
    if (date) *date = dosDate;
    if (time) *time = dosTime;
}

int File::GetTimes(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) const {
    for (FILETIME* time : {creation, lastAccess, lastWrite})
        if (time) *time = FILETIME{0, 0};
    return fileCalls.GetFileTime(_handle, creation, lastAccess, lastWrite) ? 1 : 0;
}

int File::SetTimes(const FILETIME* creation, const FILETIME* lastAccess,
                   const FILETIME* lastWrite) {
    return fileCalls.SetFileTime(_handle, creation, lastAccess, lastWrite) ? 1 : 0;
}

int32_t File::GetAttributes() const {
    BY_HANDLE_FILE_INFORMATION information;
    if (!fileCalls.GetFileInformationByHandle(_handle, &information)) return -1;
    return AttributesFromPlatform(information.dwFileAttributes);
}

// ---- Locks

int File::Lock(uint32_t offset, uint32_t length) {
    return fileCalls.LockFile(_handle, offset, 0, length, 0) ? 1 : 0;
}

int File::Unlock(uint32_t offset, uint32_t length) {
    return fileCalls.UnlockFile(_handle, offset, 0, length, 0) ? 1 : 0;
}

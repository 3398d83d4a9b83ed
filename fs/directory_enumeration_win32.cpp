// The directory enumeration over FindFirstFileA / FindNextFileA / FindClose.
#include <windows.h>

#include <cstring>

#include "fs/directory_enumeration.h"
#include "fs/file_calls_win32.h"

namespace {

// The errors with which an enumeration ends normally: no entry at all (a
// missing directory, nothing that fits the pattern) or none left.
bool IsNormalEnd(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES;
}

void ToFindData(const WIN32_FIND_DATAA& found, FindData* entry) {
    entry->_reserved = 0;
    entry->_size = found.nFileSizeLow;
    entry->_attributes = found.dwFileAttributes;
    FILETIME local;
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time)) {
        date = 0;
        time = 0;
    }
    entry->_time = time;
    entry->_date = date;
    const size_t length = strnlen(found.cFileName, findDataNameSize - 1);
    memcpy(entry->_name, found.cFileName, length);
    entry->_name[length] = '\0';
}

} // namespace

DirectoryEnumeration::DirectoryEnumeration(const char* path)
    : _path(path), _handle(nullptr), _finished(0) {}

DirectoryEnumeration::~DirectoryEnumeration() {
    if (_handle != nullptr) fileCalls.FindClose(_handle);
}

int DirectoryEnumeration::Next(FindData* entry) {
    WIN32_FIND_DATAA found;
    while (!_finished) {
        if (_handle == nullptr) {
            HANDLE handle = fileCalls.FindFirstFileA(_path, &found);
            if (handle == INVALID_HANDLE_VALUE) {
                _finished = 1;
                _failed = !IsNormalEnd(GetLastError());
                break;
            }
            _handle = handle;
        } else if (!fileCalls.FindNextFileA(_handle, &found)) {
            _finished = 1;
            _failed = !IsNormalEnd(GetLastError());
            break;
        }
        if (IsEnumerated(found.dwFileAttributes)) {
            ToFindData(found, entry);
            return 1;
        }
    }
    return 0;
}

// The directory enumeration over FindFirstFileA / FindNextFileA / FindClose.
#include <windows.h>

#include <cstring>

#include "fs/directory_enumeration.h"

namespace {

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
    if (_handle != nullptr) FindClose(_handle);
}

int DirectoryEnumeration::Next(FindData* entry) {
    WIN32_FIND_DATAA found;
    while (!_finished) {
        if (_handle == nullptr) {
            HANDLE handle = FindFirstFileA(_path, &found);
            if (handle == INVALID_HANDLE_VALUE) {
                _finished = 1;
                break;
            }
            _handle = handle;
        } else if (!FindNextFileA(_handle, &found)) {
            _finished = 1;
            break;
        }
        if (IsEnumerated(found.dwFileAttributes)) {
            ToFindData(found, entry);
            return 1;
        }
    }
    return 0;
}

// The directory enumeration over FindFirstFileW / FindNextFileW / FindClose,
// the walk's UTF-8 paths in the platform's long form.
#include <windows.h>

#include <cstring>

#include "fs/directory_enumeration.h"
#include "fs/file_calls_win32.h"
#include "fs/walk_path_win32.h"

namespace {

// The errors with which an enumeration ends normally: no entry at all (a
// missing directory, nothing that fits the pattern) or none left.
bool IsNormalEnd(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES;
}

// 0 when the name does not fit in UTF-8.
int ToFindData(const WIN32_FIND_DATAW& found, FindData* entry) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, entry->_name,
                                           findDataNameSize, nullptr, nullptr);
    if (length == 0) return 0;
    // The tag of a reparse point comes where the entry's spare field is.
    entry->_reparseTag =
        (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? found.dwReserved0 : 0;
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
    return 1;
}

} // namespace

int IdentityOfFolder(const char* path, FolderIdentity* identity) {
    // No access asked: only the identity is read. Backup semantics open a
    // folder; without FILE_FLAG_OPEN_REPARSE_POINT a link leads to its target.
    const HANDLE folder = fileCalls.CreateFileW(
        PlatformPathOf(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION information;
    const BOOL known = fileCalls.GetFileInformationByHandle(folder, &information);
    fileCalls.CloseHandle(folder);
    if (!known) return 0;
    identity->volume = information.dwVolumeSerialNumber;
    identity->index = uint64_t(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    return 1;
}

DirectoryEnumeration::DirectoryEnumeration(const char* path)
    : _path(path), _handle(nullptr), _finished(0) {}

DirectoryEnumeration::~DirectoryEnumeration() {
    if (_handle != nullptr) fileCalls.FindClose(_handle);
}

int DirectoryEnumeration::Next(FindData* entry) {
    WIN32_FIND_DATAW found;
    while (!_finished) {
        if (_handle == nullptr) {
            HANDLE handle = fileCalls.FindFirstFileW(PlatformPathOf(_path).c_str(), &found);
            if (handle == INVALID_HANDLE_VALUE) {
                _finished = 1;
                _failed = !IsNormalEnd(GetLastError());
                break;
            }
            _handle = handle;
        } else if (!fileCalls.FindNextFileW(_handle, &found)) {
            _finished = 1;
            _failed = !IsNormalEnd(GetLastError());
            break;
        }
        if (!IsEnumerated(found.dwFileAttributes)) continue;
        if (ToFindData(found, entry)) return 1;
        ++_skipped;
    }
    return 0;
}

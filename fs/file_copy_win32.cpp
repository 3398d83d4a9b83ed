// Copying, expanding, moving, and creating directories.
#include <windows.h>

#include <lzexpand.h>

#include "base/exception.h"
#include "base/system_library.h"
#include "base/text_utils.h"
#include "fs/file.h"
#include "fs/file_calls_win32.h"
#include "fs/file_errors.h"

void File::Copy(const FileName& destination, const FileName& source) {
    if (!fileCalls.CopyFileA(source.c_str(), destination.c_str(), FALSE))
        RaiseWriteFailure(destination, GetLastError(), msgCopyFailed);
}

void File::CopyWithDirectories(const FileName& destination, const FileName& source) {
    CreateDirectories(destination.GetDirectory());
    Copy(destination, source);
}

void File::Move(const FileName& destination, const FileName& source) {
    if (Exists(destination)) Remove(destination, 0, 1);
    // Copying is allowed so that a move to another drive works as well.
    if (!fileCalls.MoveFileExA(source.c_str(), destination.c_str(), MOVEFILE_COPY_ALLOWED))
        RaiseWriteFailure(destination, GetLastError(), msgMoveFailed);
}

void File::CreateDirectories(const FileName& path) {
    StringList parts;
    Split(parts, path.c_str(), "\\", 0);
    const StringItem<ListElement>* part = parts.GetHead();
    const FileName drive(part ? static_cast<const String&>(*part) : String());
    if (!part || drive.size() != 2 || !drive.HasDrive() || !DriveExists(drive))
        Raise(msgDirectoryFailed, ERROR_INVALID_DRIVE);
    String growing = drive;
    for (part = parts.GetNext(part); part; part = parts.GetNext(part)) {
        growing += "\\";
        growing += *part;
        const DWORD attributes = fileCalls.GetFileAttributesA(growing.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!fileCalls.CreateDirectoryA(growing.c_str(), nullptr))
                Raise(msgDirectoryFailed, GetLastError());
        } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Raise(msgDirectoryFailed, ERROR_DIRECTORY);
        }
    }
}

// ---- Expansion through lz32, loaded when first needed: the library imports
// nothing but what it uses on every run.

namespace {

struct LzFunctions {
    decltype(&LZOpenFileA) open;
    decltype(&LZCopy) copy;
    decltype(&LZClose) close;
};

const LzFunctions* Lz() {
    static const LzFunctions functions = [] {
        LzFunctions loaded{};
        if (HMODULE lz = LoadSystemLibrary("lz32.dll")) {
            loaded.open = reinterpret_cast<decltype(loaded.open)>(
                reinterpret_cast<void*>(GetProcAddress(lz, "LZOpenFileA")));
            loaded.copy = reinterpret_cast<decltype(loaded.copy)>(
                reinterpret_cast<void*>(GetProcAddress(lz, "LZCopy")));
            loaded.close = reinterpret_cast<decltype(loaded.close)>(
                reinterpret_cast<void*>(GetProcAddress(lz, "LZClose")));
        }
        return loaded;
    }();
    return functions.open && functions.copy && functions.close ? &functions : nullptr;
}

// An lz32 handle, closed on every path.
class LzHandle {
public:
    LzHandle(const LzFunctions* lz, const FileName& name, WORD style) : _lz(lz) {
        OFSTRUCT state{};
        state.cBytes = sizeof state;
        SetLastError(NO_ERROR);
        String copy(name); // LZOpenFileA takes a writable name
        _handle = lz->open(&copy[0], &state, style);
        _error = GetLastError() != NO_ERROR ? GetLastError() : state.nErrCode;
    }
    ~LzHandle() {
        if (IsOpen()) _lz->close(_handle);
    }
    LzHandle(const LzHandle&) = delete;
    LzHandle& operator=(const LzHandle&) = delete;

    int IsOpen() const { return _handle >= 0; }
    INT Get() const { return _handle; }
    DWORD Error() const { return _error; } // of a failed open

private:
    const LzFunctions* _lz;
    INT _handle;
    DWORD _error;
};

// The error of a failed open or copy: the platform's, or lz32's own
// (negative) value when the platform set none. A write that lz32 found short
// without an error from the platform has run out of room.
DWORD ExpansionError(DWORD platformError, LONG lzError) {
    if (platformError != NO_ERROR) return platformError;
    return lzError == LZERROR_WRITE ? ERROR_HANDLE_DISK_FULL : static_cast<DWORD>(lzError);
}

} // namespace

void File::CopyExpanded(const FileName& destination, const FileName& source) {
    CreateDirectories(destination.GetDirectory());
    const LzFunctions* lz = Lz();
    if (!lz) Raise(msgExpandFailed, ERROR_PROC_NOT_FOUND);
    LzHandle from(lz, source, OF_READ);
    if (!from.IsOpen())
        RaiseWriteFailure(destination, ExpansionError(from.Error(), from.Get()), msgExpandFailed);
    LzHandle to(lz, destination, OF_CREATE);
    if (!to.IsOpen())
        RaiseWriteFailure(destination, ExpansionError(to.Error(), to.Get()), msgExpandFailed);
    SetLastError(NO_ERROR);
    const LONG copied = lz->copy(from.Get(), to.Get());
    if (copied < 0)
        RaiseWriteFailure(destination, ExpansionError(GetLastError(), copied), msgExpandFailed);
}

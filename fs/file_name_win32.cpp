// FileName's questions to Windows.
#include <windows.h>

#include "fs/file_platform.h"

int PlatformCompareNames(const char* left, const char* right) {
    return lstrcmpiA(left, right);
}

String PlatformCurrentDirectory() {
    char buffer[300];
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    // 0 is a failure; a length of the buffer size or more means it did not fit.
    if (length == 0 || length >= sizeof buffer) return String();
    return String(buffer);
}

int PlatformCurrentDriveIndex() {
    // The drive of the current directory; a network current directory
    // (\\server\share) has none, and then the system's drive stands in.
    const FileName current(PlatformCurrentDirectory());
    if (current.HasDrive()) return current.GetDriveIndex();
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, sizeof system);
    const FileName systemDirectory(length > 0 && length < sizeof system ? system : "C:");
    return systemDirectory.HasDrive() ? systemDirectory.GetDriveIndex() : 'C' - 'A';
}

String PlatformModuleFileName(ModuleHandle module) {
    char buffer[256];
    const DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return String();
    return String(buffer);
}

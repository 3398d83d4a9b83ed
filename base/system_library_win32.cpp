#include "base/system_library.h"

#include <windows.h>

#include <cstring>

namespace {

// The search flag is known to LoadLibraryExA on the platforms that have
// AddDllDirectory (Windows 8 on, Windows 7 with its update); older ones
// refuse it, so they get the full path instead.
bool KnowsSystemSearchFlag() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

} // namespace

SystemLibraryHandle LoadSystemLibrary(const char* name) {
    if (KnowsSystemSearchFlag()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + strlen(name) >= MAX_PATH) return nullptr;
    path[length] = '\\';
    strcpy(path + length + 1, name);
    return LoadLibraryA(path);
}

#include "tests/ui/built_library.h"

#include <windows.h>

std::string BuiltLibraryPath() {
    // Wine's drive Z: is the Unix root.
    std::string path = "Z:" + std::string(TROVIK_DLL_UNIX_PATH);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

ModuleHandle BuiltLibrary() {
    static HMODULE module = LoadLibraryA(BuiltLibraryPath().c_str());
    return module;
}

#include <windows.h>

#include <vector>

#include "ui/settings_file.h"

namespace {

// The full path of `module`, however long: the buffer grows until the path
// fits (the platform cuts it silently and reports the buffer's size).
String ModulePath(HMODULE module) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return String();
        if (length < buffer.size() - 1) return String(buffer.data());
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

void LoadSettings(SearchSettingsRecord& settings, ModuleHandle module) {
    if (settings.loaded) return;
    settings.loaded = 1;
    SetSettingsPaths(settings, ModulePath(reinterpret_cast<HMODULE>(module)));
    ProfileFile store(settings.SettingsPath);
    ReadSwitches(settings, store);
    ReadRunForms(settings, store);
}

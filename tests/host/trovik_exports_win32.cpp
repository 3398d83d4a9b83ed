#include "tests/host/trovik_exports.h"

#include <windows.h>

#include "resources/resource.h"
#include "tests/ui/built_library.h"
#include "tests/ui/dialog_driver.h"

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

TrovikExports::TrovikExports(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + "\\" + fileName;
    CopyFileA(BuiltLibraryPath().c_str(), path.c_str(), FALSE);
    _module = LoadLibraryA(path.c_str());
    _doTrovik = Export<int (*)(int, const char*, int)>(_module, "_DoTrovik");
    _getValue = Export<int (*)(int, int)>(_module, "_GetValue");
    _getString = Export<const char* (*)(int, int)>(_module, "_GetString");
}

TrovikExports::~TrovikExports() {
    if (_module) FreeLibrary(_module);
}

std::string TrovikExports::Hits() const {
    std::string hits;
    const int count = GetValue(0, 7);
    for (int i = 0; i < count; ++i) {
        hits +=
            GetString(i, 4) + "(" + std::to_string(GetValue(i, 6)) + "): " + GetString(i, 5) + "\n";
    }
    return hits;
}

std::string ConfirmSearchDialog(const DialogEntries& entries) {
    HWND dialog = WaitForDialog(IDC_DIR_LIST);
    if (!dialog) return "<no dialog>";
    const std::string shown = TextOf(dialog, IDC_TEXT);
    if (!entries.text.empty()) Type(dialog, IDC_TEXT, entries.text);
    if (!entries.dirList.empty()) Paste(dialog, IDC_DIR_LIST, entries.dirList);
    if (!entries.fileTypes.empty()) Type(dialog, IDC_FILE_TYPES, entries.fileTypes);
    if (entries.statistics >= 0) Click(dialog, entries.statistics ? IDC_STATISTICS : IDC_FIND_TEXT);
    ClickLater(dialog, IDOK);
    return shown;
}

void CancelSearchDialog() {
    if (HWND dialog = WaitForDialog(IDC_DIR_LIST)) ClickLater(dialog, IDCANCEL);
}

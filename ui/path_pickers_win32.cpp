#include "ui/path_pickers.h"

#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cstring>

#include "base/guarded_procedure_win32.h"

String lastPickedDirectory;

namespace {

// Both pickers pass the record in the size of the platform's first
// long-name open-file dialog (76 bytes); newer platforms accept it as well.
const DWORD recordSize = OPENFILENAME_SIZE_VERSION_400A;
constexpr DWORD pathSize = 256;

// The directory picker's filter: one description and no pattern. Its file
// list is hidden, so the filter never shows.
const char directoryFilter[] = "*.*\0";

// The file picker's filters, description and pattern alternating; the
// literal's own terminating zero ends the list.
const char fileFilters[] = "All Files (*.*)\0*.*\0"
                           "C++ Source (*.c;*.cpp;*.cxx)\0*.c;*.cpp;*.cxx\0"
                           "Headers (*.h;*.hpp;*.hxx)\0*.h;*.hpp;*.hxx\0"
                           "Asm files (*.asm)\0*.asm\0"
                           "Text Files (*.txt)\0*.txt\0"
                           "Documents (*.doc)\0*.doc\0"
                           "Resource (*.rc)\0*.rc\0"
                           "Map files (*.map)\0*.map\0"
                           "Make files (*.mak)\0*.mak\0"
                           "Batch files (*.bat)\0*.bat\0"
                           "Ini files (*.ini)\0*.ini\0";

// `path` up to its last backslash, which goes too ("C:\void" gives "C:").
// Returns 0 when the path holds no backslash.
int CutAtLastBackslash(const char* path, String& directory) {
    const char* last = strrchr(path, '\\');
    if (last == nullptr) return 0;
    directory.assign(path, last - path);
    return 1;
}

// Moves every direct child of `parent` by dx, dy in the parent's client
// coordinates, keeping its size, without repainting. Only direct children:
// a combo box moves its own edit and list along.
void ShiftChildren(HWND parent, int dx, int dy) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT area;
        GetWindowRect(child, &area);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
        SetWindowPos(child, nullptr, area.left + dx, area.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
}

// Cuts away the dialog's file half: the dialog's left edge moves to the
// directory list, leaving it as far from that edge as the OK button is from
// the right one, while every control keeps its place on the screen.
void NarrowToDirectoryHalf(HWND dialog) {
    RECT dialogArea, okArea, listArea;
    GetWindowRect(dialog, &dialogArea);
    GetWindowRect(GetDlgItem(dialog, IDOK), &okArea);
    GetWindowRect(GetDlgItem(dialog, lst2), &listArea);
    const int margin = dialogArea.right - okArea.right;
    const int left = listArea.left - margin;
    MoveWindow(dialog, left, dialogArea.top, dialogArea.right - left,
               dialogArea.bottom - dialogArea.top, FALSE);
    ShiftChildren(dialog, dialogArea.left - left, 0);
}

// The hook of the directory picker. Without OFN_EXPLORER the platform shows
// its classic open-file dialog and `dialog` is that dialog itself. The file
// controls are hidden and the hidden file-name field holds a dummy name, so
// that OK returns "<current directory>\void" and the picker keeps the
// directory part.
UINT_PTR CALLBACK DirectoryPickerHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return 0;
    for (int id : {stc3, edt1, lst1, stc2, cmb1})
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    SetFocus(GetDlgItem(dialog, lst2));
    NarrowToDirectoryHalf(dialog);
    SetDlgItemTextA(dialog, edt1, "void");
    return 1;
}

// Puts the process's current directory back at scope end. The open-file
// dialog moves it along as the user walks the folders, and OFN_NOCHANGEDIR
// does not stop that for an open dialog (only for a save dialog).
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper() {
        const DWORD length = GetCurrentDirectoryA(sizeof _saved, _saved);
        if (length == 0 || length >= sizeof _saved) _saved[0] = '\0';
    }
    ~CurrentDirectoryKeeper() {
        if (_saved[0] != '\0') SetCurrentDirectoryA(_saved);
    }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    char _saved[MAX_PATH];
};

// Runs the dialog; the current directory is the caller's again afterwards.
int RunOpenFileDialog(OPENFILENAMEA& record) {
    CurrentDirectoryKeeper keeper;
    return GetOpenFileNameA(&record) ? 1 : 0;
}

// Where a picker opens: lastPickedDirectory, or none (the process's current
// directory) while it is empty. A drive alone ("C:", a picked root) would
// name the drive's current directory: its root is "C:\".
String StartDirectory() {
    const String& last = lastPickedDirectory;
    return last.size() == 2 && last[1] == ':' ? last + "\\" : last;
}

// The record both pickers start from; `path` is the result buffer and
// `start` the directory it opens in (empty: the current directory).
OPENFILENAMEA PickerRecord(void* owner, char* path, const char* title, const String& start) {
    OPENFILENAMEA record = {};
    record.lStructSize = recordSize;
    record.hwndOwner = static_cast<HWND>(owner);
    record.nFilterIndex = 1;
    record.lpstrFile = path;
    record.nMaxFile = pathSize;
    record.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    record.lpstrTitle = title;
    record.lpstrDefExt = "*";
    return record;
}

} // namespace

int PickDirectory(void* owner, String& result, const char* title) {
    char path[pathSize] = "";
    const String start = StartDirectory();
    OPENFILENAMEA record = PickerRecord(owner, path, title, start);
    record.lpstrFilter = directoryFilter;
    record.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK;
    record.lpfnHook = Guarded<UINT_PTR, DirectoryPickerHook>;
    String directory;
    if (!RunOpenFileDialog(record) || !CutAtLastBackslash(path, directory)) return 0;
    result = directory;
    lastPickedDirectory = directory;
    return 1;
}

int PickFile(void* owner, String& result, const char* title) {
    char path[pathSize] = "";
    const String start = StartDirectory();
    OPENFILENAMEA record = PickerRecord(owner, path, title, start);
    record.lpstrFilter = fileFilters;
    record.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    // A path without a directory part is no usable result: nothing changes.
    String directory;
    if (!RunOpenFileDialog(record) || !CutAtLastBackslash(path, directory)) return 0;
    result = path;
    lastPickedDirectory = directory;
    return 1;
}

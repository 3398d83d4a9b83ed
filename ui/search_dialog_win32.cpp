// The search dialog's window: a view over its controls and a procedure that
// hands the initialisation and the commands to SearchDialogLogic.
#include "ui/search_dialog.h"

#include <windows.h>

#include <memory>

#include "base/guarded_procedure_win32.h"
#include "base/system_library.h"
#include "fs/message_box.h"
#include "resources/resource.h"
#include "ui/combo_field_win32.h"
#include "ui/path_pickers.h"
#include "ui/search_dialog_logic.h"

static_assert(IDC_OK == IDOK && IDC_CANCEL == IDCANCEL && IDC_HELP == IDHELP,
              "the templates' buttons");

namespace {

// The help viewer shipped with the system up to Windows XP (version 5).
bool HasHelpViewer() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) && version.dwMajorVersion < 6;
}

class DialogView : public SearchDialogView {
public:
    explicit DialogView(HWND dialog)
        : _dialog(dialog), _text(dialog, IDC_TEXT), _setName(dialog, IDC_SET_NAME),
          _fileTypes(dialog, IDC_FILE_TYPES) {}

    ComboField& Combo(int id) override { return ComboOf(id); }
    int Selection(int id) override { return ComboOf(id).Selection(); }
    String ListText() override { return WindowText(Item(IDC_DIR_LIST)); }
    void SetListText(const String& text) override {
        SetWindowTextA(Item(IDC_DIR_LIST), text.c_str());
    }
    int IsChecked(int id) override { return IsDlgButtonChecked(_dialog, id) == BST_CHECKED; }
    void SetChecked(int id, int checked) override {
        CheckDlgButton(_dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void Enable(int id, int enabled) override { EnableWindow(Item(id), enabled ? TRUE : FALSE); }
    void SetCaption(int id, const char* caption) override { SetWindowTextA(Item(id), caption); }
    void LimitText(int id, int limit) override { SendMessageA(Item(id), CB_LIMITTEXT, limit, 0); }
    void Focus(int id) override { SetFocus(Item(id)); }
    void SelectText(int id) override {
        SetFocus(Item(id));
        SendMessageA(Item(id), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    }
    int Ask(const char* text, const char* caption, unsigned style) override {
        return ShowMessageBox(_dialog, text, caption, style);
    }
    int PickDirectory(String& path) override {
        return ::PickDirectory(_dialog, path, "Select a directory");
    }
    int PickFile(String& path) override { return ::PickFile(_dialog, path, "Select a file"); }
    int ShowHelp(const String& helpPath) override {
        // The platform's help engine shows its own error for a missing file,
        // and without its viewer (not shipped since Windows Vista, where a
        // stub stands in its place) nothing at all.
        if (!HasHelpViewer() || GetFileAttributesA(helpPath.c_str()) == INVALID_FILE_ATTRIBUTES)
            return 0;
        WinHelpA(_dialog, helpPath.c_str(), HELP_CONTENTS, 0);
        return 1;
    }
    int ShowHelpPage(const String& pagePath) override {
        if (GetFileAttributesA(pagePath.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
        // The shell is loaded only when the page is asked for (the library
        // imports from the smallest set of system libraries), and stays: the
        // threads it starts for the viewer may still run its code.
        using ShellExecuteProc = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
        static const HMODULE shell = LoadSystemLibrary("shell32.dll");
        if (shell == nullptr) return 0;
        const auto shellExecute =
            reinterpret_cast<ShellExecuteProc>(GetProcAddress(shell, "ShellExecuteA"));
        const INT_PTR opened =
            shellExecute == nullptr
                ? 0
                : reinterpret_cast<INT_PTR>(shellExecute(_dialog, "open", pagePath.c_str(), nullptr,
                                                         nullptr, SW_SHOWNORMAL));
        return opened > 32;
    }
    void Close(int result) override { EndDialog(_dialog, result); }

private:
    HWND Item(int id) { return GetDlgItem(_dialog, id); }
    DialogCombo& ComboOf(int id) {
        return id == IDC_TEXT ? _text : id == IDC_SET_NAME ? _setName : _fileTypes;
    }

    HWND _dialog;
    DialogCombo _text, _setName, _fileTypes;
};

// What the procedure keeps for the life of one dialog.
struct DialogState {
    SearchSettingsRecord& settings;
    ProfileStore& store;
    std::unique_ptr<DialogView> view;
    std::unique_ptr<SearchDialogLogic> logic;
};

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        state->view.reset(new DialogView(dialog));
        state->logic.reset(new SearchDialogLogic(*state->view, state->settings, state->store));
        state->logic->Open();
        return TRUE;
    case WM_COMMAND:
        if (state == nullptr || state->logic == nullptr) return FALSE;
        state->logic->Command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int ShowSearchDialog(ModuleHandle module, SearchSettingsRecord& settings) {
    ProfileFile store(settings.SettingsPath);
    DialogState state = {settings, store, nullptr, nullptr};
    INT_PTR result =
        DialogBoxParamA(reinterpret_cast<HINSTANCE>(module), MAKEINTRESOURCEA(IDD_SEARCH), nullptr,
                        GuardedModalDialog<SearchDialogProc>, reinterpret_cast<LPARAM>(&state));
    return result == 1 ? 1 : result == -1 ? -1 : 0;
}

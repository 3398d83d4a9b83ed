#include "tests/ui/dialog_driver.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

DWORD dialogThread;

constexpr unsigned pollMs = 20;

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The text may change between asking its length and reading it (a run
// rewrites the progress window's lines): read again into more room until
// the text fits with room to spare.
std::string WindowText(HWND window) {
    std::vector<char> text(GetWindowTextLengthA(window) + 16);
    while (GetWindowTextA(window, text.data(), static_cast<int>(text.size())) >=
           static_cast<int>(text.size()) - 1)
        text.resize(text.size() * 2);
    return std::string(text.data());
}

bool IsVisibleDialog(HWND window) {
    return IsWindowVisible(window) && ClassOf(window) == "#32770";
}

// A message box is a visible dialog of the dialog thread whose controls are
// statics and buttons with the platform's answer ids alone (IDOK to
// IDCONTINUE): the search dialog has fields, the progress window a Stop
// button (IDC_PROGRESS_STOP) and the open-file dialog combo boxes.
bool IsMessageBox(HWND window) {
    if (!IsVisibleDialog(window)) return false;
    int buttons = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string name = ClassOf(child);
        if (lstrcmpiA(name.c_str(), "Static") == 0) continue;
        int id = GetDlgCtrlID(child);
        if (lstrcmpiA(name.c_str(), "Button") != 0 || id < IDOK || id > IDCONTINUE) return false;
        ++buttons;
    }
    return buttons > 0;
}

// Polls `found` until it gives a window or `timeoutMs` have passed.
HWND Poll(unsigned timeoutMs, const std::function<HWND()>& found) {
    for (unsigned waited = 0; waited <= timeoutMs; waited += pollMs) {
        if (HWND window = found()) return window;
        Sleep(pollMs);
    }
    return nullptr;
}

struct WindowQuery {
    const std::function<bool(HWND)>& matches;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    WindowQuery* query = reinterpret_cast<WindowQuery*>(param);
    if (!query->matches(window)) return TRUE;
    query->found = window;
    return FALSE;
}

// The first top-level window of the dialog thread that `matches`; null if none.
HWND FindThreadWindow(const std::function<bool(HWND)>& matches) {
    WindowQuery query = {matches, nullptr};
    EnumThreadWindows(dialogThread, MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

} // namespace

DialogDriver::DialogDriver(std::function<void()> script) {
    dialogThread = GetCurrentThreadId();
    _thread = std::thread(std::move(script));
}

DialogDriver::~DialogDriver() {
    _thread.join();
}

HWND WaitForWindow(const char* caption, const char* windowClass, unsigned timeoutMs) {
    return Poll(timeoutMs, [&] {
        return FindThreadWindow([&](HWND window) {
            return IsWindowVisible(window) && (!windowClass || ClassOf(window) == windowClass) &&
                   (!caption || WindowText(window) == caption);
        });
    });
}

HWND WaitForDialog(int controlId, unsigned timeoutMs) {
    return Poll(timeoutMs, [&] {
        return FindThreadWindow([&](HWND window) {
            return IsVisibleDialog(window) && GetDlgItem(window, controlId) != nullptr;
        });
    });
}

int WaitUntilClosed(HWND window, unsigned timeoutMs) {
    // A closing dialog is hidden before it is destroyed.
    return Poll(timeoutMs, [&] {
               return !IsWindow(window) || !IsWindowVisible(window) ? window : nullptr;
           }) != nullptr;
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void ClickLater(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

namespace {

// The edit window that takes the keys of control `id`: the control itself, or
// a combo box's edit field (inside its combo box for a ComboBoxEx32).
HWND KeyTarget(HWND dialog, int id) {
    HWND target = GetDlgItem(dialog, id);
    while (HWND inner = FindWindowExA(target, nullptr, "ComboBox", nullptr))
        target = inner;
    HWND edit = FindWindowExA(target, nullptr, "Edit", nullptr);
    return edit ? edit : target;
}

} // namespace

void Type(HWND dialog, int id, const std::string& text) {
    HWND edit = KeyTarget(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\r\n"));
            ++i;
        } else {
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(text[i]), 0);
        }
    }
}

void Paste(HWND dialog, int id, const std::string& text) {
    HWND edit = KeyTarget(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Choose(HWND dialog, int id, int index) {
    HWND control = GetDlgItem(dialog, id);
    HWND edit = KeyTarget(dialog, id);
    const int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
    for (int step = 0; step <= count; ++step) {
        const int selected = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
        if (selected == index) return;
        const WPARAM key = selected > index ? VK_UP : VK_DOWN;
        SendMessageA(edit, WM_KEYDOWN, key, 0);
        SendMessageA(edit, WM_KEYUP, key, 0);
    }
}

int DoubleClickEntry(HWND dialog, int id, const std::string& text) {
    HWND control = GetDlgItem(dialog, id);
    LRESULT index = SendMessageA(control, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    if (index == LB_ERR) return 0;
    SendMessageA(control, LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(control));
    return 1;
}

std::string TextOf(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

int IsChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int IsEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) ? 1 : 0;
}

int ComboCount(HWND dialog, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCOUNT, 0, 0));
}

HWND FocusOf(HWND dialog) {
    // Another test program may have a window in front: the focus of a thread
    // none of whose windows is active reads as none. In front again, the
    // dialog gets back the control that had the focus.
    for (unsigned waited = 0; GetForegroundWindow() != dialog && waited <= 2000; waited += pollMs) {
        SetForegroundWindow(dialog);
        Sleep(pollMs);
    }
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

AnsweredBox AnswerBox(int button, unsigned timeoutMs) {
    AnsweredBox answered;
    HWND box = Poll(timeoutMs, [] { return FindThreadWindow(IsMessageBox); });
    if (box == nullptr) return answered;
    answered.found = true;
    answered.caption = WindowText(box);
    // The text is the box's static control that carries text (the icon's
    // static has none).
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string name = ClassOf(child);
        std::string text = WindowText(child);
        if (lstrcmpiA(name.c_str(), "Static") == 0 && !text.empty()) answered.text += text;
        // The default button is drawn as such: the box marks it by its style.
        if (lstrcmpiA(name.c_str(), "Button") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            answered.defaultButton = GetDlgCtrlID(child);
    }
    answered.owner = GetWindow(box, GW_OWNER);
    answered.ownerEnabled = answered.owner != nullptr && IsWindowEnabled(answered.owner);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    WaitUntilClosed(box);
    return answered;
}

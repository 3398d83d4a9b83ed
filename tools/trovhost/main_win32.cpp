// trovhost: a small window program that stands in for the development
// environment that hosts trovik.dll. It loads the library from its own
// folder, calls _DoTrovik from its menu and shortcuts, and shows what it
// reads back through _GetValue and _GetString in a message list:
//
//   Find in Files...   Ctrl+Shift+F   command 3 with the search dialog
//   Find Text          F3             command 3 with the edit field's text, no dialog
//   Release Results    Ctrl+R         command 8
#include <windows.h>

#include <string>

#include "host/host_commands.h"
#include "tools/trovhost/messages.h"

namespace {

enum {
    idFindInFiles = 100,
    idFindText = 101,
    idRelease = 102,
    idExit = 103,
    idText = 200,
    idMessages = 201,
    idStatus = 202,
};

const char windowClass[] = "TrovhostWindow";
const char title[] = "Trovik Host";

// The library and its three entry points.
struct Library : ResultReader {
    HMODULE module = nullptr;
    int (*doTrovik)(int, const char*, int) = nullptr;
    int (*getValue)(int, int) = nullptr;
    const char* (*getString)(int, int) = nullptr;

    int GetValue(int index, int what) override { return getValue(index, what); }
    std::string GetString(int index, int what) override { return getString(index, what); }
} library;

HWND textField, messageList, statusLine;

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// trovik.dll beside this program; an empty text on success, else the reason.
std::string LoadTrovik() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "The program's own path is too long.";
    std::string dll(path, length);
    dll = dll.substr(0, dll.rfind('\\') + 1) + "trovik.dll";
    library.module = LoadLibraryA(dll.c_str());
    if (!library.module) return dll + " could not be loaded.";
    library.doTrovik = Export<int (*)(int, const char*, int)>(library.module, "_DoTrovik");
    library.getValue = Export<int (*)(int, int)>(library.module, "_GetValue");
    library.getString = Export<const char* (*)(int, int)>(library.module, "_GetString");
    if (!library.doTrovik || !library.getValue || !library.getString) {
        return dll + " lacks _DoTrovik, _GetValue or _GetString.";
    }
    return std::string();
}

void ShowStatus(const std::string& status) {
    SetWindowTextA(statusLine, status.c_str());
}

void ShowMessages(int result) {
    MessageUpdate update = MessagesFor(result, library);
    SendMessageA(messageList, WM_SETREDRAW, FALSE, 0);
    if (update.clear) SendMessageA(messageList, LB_RESETCONTENT, 0, 0);
    SendMessageA(messageList, LB_INITSTORAGE, update.lines.size(), update.lines.size() * 64);
    for (const std::string& line : update.lines)
        SendMessageA(messageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(messageList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(messageList, nullptr, TRUE);
}

void Search(int showDialog) {
    char text[256] = "";
    GetWindowTextA(textField, text, sizeof text);
    // The library dispatches this program's messages while it runs, so the
    // window keeps painting (and a second search command is refused).
    const int result = library.doTrovik(commandSearch, text, showDialog);
    ShowMessages(result);
    ShowStatus(StatusText(result, library));
}

HMENU BuildMenu() {
    HMENU search = CreatePopupMenu();
    AppendMenuA(search, MF_STRING, idFindInFiles, "Find in &Files...\tCtrl+Shift+F");
    AppendMenuA(search, MF_STRING, idFindText, "Find &Text\tF3");
    AppendMenuA(search, MF_STRING, idRelease, "&Release Results\tCtrl+R");
    AppendMenuA(search, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(search, MF_STRING, idExit, "E&xit");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(search), "&Search");
    return bar;
}

HACCEL BuildShortcuts() {
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL | FSHIFT, 'F', idFindInFiles},
        {FVIRTKEY, VK_F3, idFindText},
        {FVIRTKEY | FCONTROL, 'R', idRelease},
    };
    return CreateAcceleratorTableA(keys, sizeof keys / sizeof keys[0]);
}

HWND Child(HWND parent, const char* className, DWORD style, int id) {
    HWND child =
        CreateWindowExA(WS_EX_CLIENTEDGE, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                        parent, reinterpret_cast<HMENU>(id), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return child;
}

void Layout(int width, int height) {
    const int line = 22, gap = 4;
    MoveWindow(textField, gap, gap, width - 2 * gap, line, TRUE);
    MoveWindow(messageList, gap, line + 2 * gap, width - 2 * gap, height - 2 * line - 4 * gap,
               TRUE);
    MoveWindow(statusLine, gap, height - line - gap, width - 2 * gap, line, TRUE);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        textField = Child(window, "EDIT", ES_AUTOHSCROLL, idText);
        messageList =
            Child(window, "LISTBOX", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                  idMessages);
        SendMessageA(messageList, LB_SETHORIZONTALEXTENT, 4000, 0);
        statusLine = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0,
                                     0, 0, 0, window, reinterpret_cast<HMENU>(idStatus),
                                     GetModuleHandleA(nullptr), nullptr);
        SendMessageA(statusLine, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        return 0;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        SetFocus(textField);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case idFindInFiles:
            Search(1);
            return 0;
        case idFindText:
            Search(0);
            return 0;
        case idRelease:
            library.doTrovik(commandRelease, nullptr, 0);
            ShowStatus("The library released its records; the list keeps its copy.");
            return 0;
        case idExit:
            DestroyWindow(window);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const std::string failure = LoadTrovik();
    if (!failure.empty()) {
        MessageBoxA(nullptr, failure.c_str(), title, MB_OK | MB_ICONERROR);
        return 1;
    }
    WNDCLASSA windowClassInfo = {};
    windowClassInfo.lpfnWndProc = WindowProcedure;
    windowClassInfo.hInstance = instance;
    windowClassInfo.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClassInfo.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClassInfo.lpszClassName = windowClass;
    RegisterClassA(&windowClassInfo);
    HWND window = CreateWindowA(windowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 760, 480, nullptr, BuildMenu(), instance, nullptr);
    ShowWindow(window, show);
    ShowStatus("Search > Find in Files... (Ctrl+Shift+F) opens the search dialog.");
    HACCEL shortcuts = BuildShortcuts();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(window, shortcuts, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyAcceleratorTable(shortcuts);
    FreeLibrary(library.module);
    return 0;
}

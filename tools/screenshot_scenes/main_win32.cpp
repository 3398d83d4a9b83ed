// screenshot_scenes: shows the library's windows one scene at a time, for
// scripts/screenshots to photograph inside Wine's virtual desktop.
//
//   screenshot_scenes.exe DLL START HANDSHAKE SCENE...
//
// DLL is a copy of trovik.dll with the TROVIK.INI to show beside it; the
// pickers open in the folder START. For each scene, once its window is up
// and painted, the program writes the window's screen rectangle as
// "x y width height" to HANDSHAKE\<scene>.rect, waits until the script has
// created HANDSHAKE\<scene>.done, then closes the window. Scenes:
// search-dialog, quick-reference,
// directory-picker, file-picker; progress (the progress window during a run
// of the library, held still between two files while it is photographed)
// and trovhost (the host stand-in, trovhost.exe beside DLL, with the hits of
// a search).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "resources/resource.h"
#include "ui/path_pickers.h"
#include "ui/search_dialog.h"
#include "ui/search_dialog_logic.h" // quickReferenceTitle
#include "ui/settings_file.h"

namespace {

constexpr DWORD pollMs = 50;
constexpr DWORD waitMs = 60000;
// Time for the window to be painted after it became visible.
constexpr DWORD settleMs = 1000;

struct Query {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    Query* query = reinterpret_cast<Query*>(param);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    if (!IsWindowVisible(window) || strcmp(text, query->caption) != 0) return TRUE;
    query->found = window;
    return FALSE;
}

// A visible top-level window of `thread` captioned `caption`; null when none
// shows within the wait.
HWND WaitForWindow(DWORD thread, const char* caption) {
    for (DWORD waited = 0; waited < waitMs; waited += pollMs) {
        Query query = {caption, nullptr};
        EnumThreadWindows(thread, MatchCaption, reinterpret_cast<LPARAM>(&query));
        if (query.found) return query.found;
        Sleep(pollMs);
    }
    return nullptr;
}

// Started from Wine's desktop, the program's first window comes up inactive
// (the desktop keeps the foreground); a window shown and closed at once
// takes that turn, so that every scene shows an active window.
void TakeTheFirstTurn() {
    HWND window = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    DestroyWindow(window);
}

// Hands `window` to the script for its picture and waits until it is taken.
// Returns 0 when the script does not answer.
int Photograph(HWND window, const std::string& handshake, const char* scene) {
    Sleep(settleMs);
    RECT area;
    GetWindowRect(window, &area);
    const std::string rect = handshake + "\\" + scene + ".rect";
    if (FILE* out = fopen(rect.c_str(), "w")) {
        fprintf(out, "%ld %ld %ld %ld\n", area.left, area.top, area.right - area.left,
                area.bottom - area.top);
        fclose(out);
    }
    const std::string done = handshake + "\\" + scene + ".done";
    for (DWORD waited = 0; waited < waitMs; waited += pollMs) {
        if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
        Sleep(pollMs);
    }
    return 0;
}

void Close(HWND window) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
}

// Photographs the window of `thread` captioned `caption` and closes it.
int ShootWindow(DWORD thread, const char* caption, const std::string& handshake,
                const char* scene) {
    HWND window = WaitForWindow(thread, caption);
    if (window == nullptr) return 0;
    const int taken = Photograph(window, handshake, scene);
    Close(window);
    return taken;
}

// One scene: `show` runs the scene's modal loop on this thread while `shoot`,
// on a second thread, waits for the window, has it photographed and closes
// it; `shoot` gets this thread's id and returns 1 when the picture was taken.
int RunScene(const std::function<void()>& show, const std::function<int(DWORD)>& shoot) {
    const DWORD thread = GetCurrentThreadId();
    int taken = 0;
    std::thread shutter([&] { taken = shoot(thread); });
    show();
    shutter.join();
    return taken;
}

// ---- The search dialog's scenes: the dialog from the library's template,
// with the settings file beside the library.

int SearchDialogScene(ModuleHandle library, const std::string& handshake, const char* scene) {
    return RunScene(
        [&] { ShowSearchDialog(library, SearchSettings); },
        [&](DWORD thread) { return ShootWindow(thread, TROVIK_CAPTION, handshake, scene); });
}

// The quick reference opens from the small button beside the options.
int QuickReferenceScene(ModuleHandle library, const std::string& handshake, const char* scene) {
    return RunScene([&] { ShowSearchDialog(library, SearchSettings); },
                    [&](DWORD thread) {
                        HWND dialog = WaitForWindow(thread, TROVIK_CAPTION);
                        if (dialog == nullptr) return 0;
                        PostMessageA(GetDlgItem(dialog, IDC_QUICK_REFERENCE), BM_CLICK, 0, 0);
                        const int taken =
                            ShootWindow(thread, quickReferenceTitle, handshake, scene);
                        Close(dialog);
                        return taken;
                    });
}

// ---- The host interface's scenes: the library as a host loads and calls it

struct DialogQuery {
    int controlId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    DialogQuery* query = reinterpret_cast<DialogQuery*>(param);
    if (!IsWindowVisible(window) || !GetDlgItem(window, query->controlId)) return TRUE;
    query->found = window;
    return FALSE;
}

// A visible dialog of `thread` that has control `controlId` (the search dialog,
// the progress window and the message boxes share TROVIK_CAPTION).
HWND WaitForDialogWith(DWORD thread, int controlId) {
    for (DWORD waited = 0; waited < waitMs; waited += pollMs) {
        DialogQuery query = {controlId, nullptr};
        EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&query));
        if (query.found) return query.found;
        Sleep(pollMs);
    }
    return nullptr;
}

std::string ItemText(HWND window, int id) {
    char text[512] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// Waits until `ready` holds (at most the usual wait).
bool WaitUntil(const std::function<bool()>& ready) {
    for (DWORD waited = 0; waited < waitMs; waited += pollMs) {
        if (ready()) return true;
        Sleep(pollMs);
    }
    return false;
}

// The run dispatches this thread's messages once per file, as it does a
// host's. A message to this window holds the run there, between two files,
// while the progress window is photographed: its controls still repaint.
HANDLE runHeld, runGoesOn;

LRESULT CALLBACK HolderProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
    SetEvent(runHeld);
    while (WaitForSingleObject(runGoesOn, pollMs) == WAIT_TIMEOUT) {
        MSG paint;
        while (PeekMessageA(&paint, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageA(&paint);
    }
    return 0;
}

int ProgressScene(const char* dll, const std::string& handshake, const char* scene) {
    HMODULE library = LoadLibraryA(dll);
    auto doTrovik = reinterpret_cast<int (*)(int, const char*, int)>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "_DoTrovik")));
    if (!doTrovik) return 0;
    WNDCLASSA holderClass = {};
    holderClass.lpfnWndProc = HolderProcedure;
    holderClass.lpszClassName = "SceneHolder";
    RegisterClassA(&holderClass);
    HWND holder =
        CreateWindowA("SceneHolder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    runHeld = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    runGoesOn = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const DWORD thread = GetCurrentThreadId();
    int taken = 0;
    std::thread shutter([&] {
        HWND dialog = WaitForDialogWith(thread, IDC_DIR_LIST);
        if (!dialog) return;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0); // the last search's set, as shown
        HWND progress = WaitForDialogWith(thread, IDC_PROGRESS_STOP);
        if (!progress) return;
        // A few files with hits first, so that every line has its text.
        WaitUntil([&] {
            return ItemText(progress, IDC_PROGRESS_HITS).find(" in ") != std::string::npos;
        });
        PostMessageA(holder, WM_APP, 0, 0);
        WaitForSingleObject(runHeld, waitMs);
        taken = Photograph(progress, handshake, scene);
        SetEvent(runGoesOn);
        PostMessageA(GetDlgItem(progress, IDC_PROGRESS_STOP), BM_CLICK, 0, 0);
    });
    doTrovik(3, "String", 0);
    shutter.join();
    DestroyWindow(holder);
    CloseHandle(runHeld);
    CloseHandle(runGoesOn);
    FreeLibrary(library);
    return taken;
}

// trovhost, started as a user would, runs Find in Files with the text in its
// field; the picture shows its message list with the hits.
int TrovhostScene(const char* dll, const std::string& handshake, const char* scene) {
    std::string program = dll;
    program = program.substr(0, program.rfind('\\') + 1) + "trovhost.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 0;
    }
    WaitForInputIdle(process.hProcess, waitMs);
    HWND host = nullptr, list = nullptr;
    int taken = 0;
    if (WaitUntil([&] { return (host = FindWindowA("TrovhostWindow", nullptr)) != nullptr; })) {
        enum { idFindInFiles = 100, idText = 200, idMessages = 201 };
        SetDlgItemTextA(host, idText, "TrimBlanks");
        list = GetDlgItem(host, idMessages);
        PostMessageA(host, WM_COMMAND, idFindInFiles, 0);
        if (HWND dialog = WaitForDialogWith(process.dwThreadId, IDC_DIR_LIST)) {
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            WaitUntil([&] {
                return SendMessageA(list, LB_GETCOUNT, 0, 0) > 0 && !FindWindowA(nullptr, "Trovik");
            });
            taken = Photograph(host, handshake, scene);
        }
        PostMessageA(host, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, waitMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return taken;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: screenshot_scenes DLL START HANDSHAKE SCENE...\n");
        return 2;
    }
    const std::string handshake = argv[3];
    TakeTheFirstTurn();
    // The library's own module: its templates, and TROVIK.INI beside it.
    const ModuleHandle library = LoadLibraryA(argv[1]);
    if (library == nullptr) {
        fprintf(stderr, "screenshot_scenes: cannot load %s\n", argv[1]);
        return 1;
    }
    LoadSettings(SearchSettings, library);
    int failures = 0;
    for (int i = 4; i < argc; ++i) {
        const char* scene = argv[i];
        String picked;
        lastPickedDirectory = argv[2];
        int taken = 0;
        if (strcmp(scene, "search-dialog") == 0) {
            taken = SearchDialogScene(library, handshake, scene);
        } else if (strcmp(scene, "quick-reference") == 0) {
            taken = QuickReferenceScene(library, handshake, scene);
        } else if (strcmp(scene, "directory-picker") == 0) {
            const char title[] = "Select a directory";
            taken = RunScene(
                [&] { PickDirectory(nullptr, picked, title); },
                [&](DWORD thread) { return ShootWindow(thread, title, handshake, scene); });
        } else if (strcmp(scene, "file-picker") == 0) {
            const char title[] = "Select a file";
            taken = RunScene(
                [&] { PickFile(nullptr, picked, title); },
                [&](DWORD thread) { return ShootWindow(thread, title, handshake, scene); });
        } else if (strcmp(scene, "progress") == 0) {
            taken = ProgressScene(argv[1], handshake, scene);
        } else if (strcmp(scene, "trovhost") == 0) {
            taken = TrovhostScene(argv[1], handshake, scene);
        } else {
            fprintf(stderr, "screenshot_scenes: no scene %s\n", scene);
        }
        if (!taken) ++failures;
    }
    return failures == 0 ? 0 : 1;
}

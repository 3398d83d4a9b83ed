// Test support: trovik.dll as a host meets it. A copy of the built library is
// loaded from a folder of its own (where its settings file then lands), under
// the name asked for, and reached through its three exports only; the search
// dialog is confirmed from the driver's thread. Windows only.
#pragma once

#include <string>

typedef struct HINSTANCE__* HINSTANCE;

class TrovikExports {
public:
    // Copies the built library into `folder` as `fileName` and loads it.
    TrovikExports(const std::string& folder, const std::string& fileName = "trovik.dll");
    // Unloads it.
    ~TrovikExports();
    TrovikExports(const TrovikExports&) = delete;
    TrovikExports& operator=(const TrovikExports&) = delete;

    bool Loaded() const { return _module && _doTrovik && _getValue && _getString; }

    int DoTrovik(int command, const char* text, int showDialog) const {
        return _doTrovik(command, text, showDialog);
    }
    int GetValue(int index, int what) const { return _getValue(index, what); }
    std::string GetString(int index, int what) const { return _getString(index, what); }
    const char* GetText(int index, int what) const { return _getString(index, what); }

    // The hits as "fileName(lineNumber): lineText", read in order.
    std::string Hits() const;

private:
    HINSTANCE _module;
    int (*_doTrovik)(int, const char*, int);
    int (*_getValue)(int, int);
    const char* (*_getString)(int, int);
};

// What the driver enters in the search dialog before OK. Empty texts are
// left as the dialog shows them.
struct DialogEntries {
    std::string text;
    std::string dirList;
    std::string fileTypes;
    int statistics = -1; // 1: Statistics mode, 0: Find Text mode, -1: as shown
};

// On the driver's thread: waits for the search dialog, enters `entries` and
// presses OK. Returns the text the dialog showed in its text field at first,
// or "<no dialog>".
std::string ConfirmSearchDialog(const DialogEntries& entries);
// On the driver's thread: waits for the search dialog and presses Cancel.
void CancelSearchDialog();

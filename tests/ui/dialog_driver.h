// Test support: operates the library's real dialogs as a person would,
// through their controls' ids, from a second thread while the test's own
// thread runs the dialog's modal loop. A message sent to a dialog blocks
// until its handler returns, so an action that opens a message box is posted
// (the *Later forms) and the box is then answered with AnswerBox.
// Windows only (dialog_driver_win32.cpp).
#pragma once

#include <functional>
#include <string>
#include <thread>

typedef struct HWND__* HWND;

// Runs `script` on a second thread; the destructor waits for it.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void()> script);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

private:
    std::thread _thread;
};

// A visible top-level window of the dialog thread with `caption` (and, when
// given, of window class `windowClass`); null when none appears within
// `timeoutMs`.
HWND WaitForWindow(const char* caption, const char* windowClass = "#32770",
                   unsigned timeoutMs = 10000);
// A visible dialog of the dialog thread that has a control `controlId`: tells
// windows of the same caption apart (the search dialog, the progress window).
// Null when none appears within `timeoutMs`.
HWND WaitForDialog(int controlId, unsigned timeoutMs = 10000);
// Waits until `window` is gone (at most `timeoutMs`); returns 0 on time-out.
int WaitUntilClosed(HWND window, unsigned timeoutMs = 10000);

// ---- Controls. Each acts on control `id` of `dialog`.
// A mouse click (check boxes toggle), sent; ClickLater posts it, for the
// actions that open a box or close the dialog.
void Click(HWND dialog, int id);
void ClickLater(HWND dialog, int id);
// Types `text` over the whole text of an edit or of a combo box's edit field:
// the old text is selected and deleted, then every character is typed with
// WM_CHAR (a line end is put in as a paste would), so that the notifications
// are the control's own.
void Type(HWND dialog, int id, const std::string& text);
// Pastes `text` over the whole text of an edit or of a combo box's edit field:
// one change, notified by the control itself. For long texts, which typing
// would rewrap once for every key.
void Paste(HWND dialog, int id, const std::string& text);
// Chooses entry `index` of a combo box's list with the arrow keys, as a user
// does in its closed list; the combo box notifies each step.
void Choose(HWND dialog, int id, int index);
// Selects the list box entry that reads `text` and double-clicks it, as a
// user opens a folder of the classic open-file dialog. Returns 0 when no
// entry reads so. Sent: the double click's action runs before it returns.
int DoubleClickEntry(HWND dialog, int id, const std::string& text);
std::string TextOf(HWND dialog, int id);
int IsChecked(HWND dialog, int id);
int IsEnabled(HWND dialog, int id);
int ComboCount(HWND dialog, int id);
// The control with the keyboard focus, with the dialog brought in front first.
HWND FocusOf(HWND dialog);

// ---- Message boxes
struct AnsweredBox {
    std::string caption;
    std::string text;
    int defaultButton = 0; // the id of the default button
    HWND owner = nullptr;
    bool ownerEnabled = false; // while the box was open
    bool found = false;
};
// Waits for a message box of the dialog thread (any caption), reads it and
// closes it with `button` (IDOK, IDYES, ...).
AnsweredBox AnswerBox(int button, unsigned timeoutMs = 10000);

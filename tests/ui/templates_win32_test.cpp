// The dialog templates of the built trovik.dll, created as they are with a
// procedure that does nothing: the controls the dialogs' code and the tests
// operate by id, in their order, with their kinds, captions, tab stops and
// places.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/ui/built_library.h"

namespace {

INT_PTR CALLBACK IgnoreAll(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

// A dialog made from one template of the library, destroyed at scope end.
class TemplateDialog {
public:
    explicit TemplateDialog(int templateId)
        : _dialog(CreateDialogParamA(static_cast<HMODULE>(BuiltLibrary()),
                                     MAKEINTRESOURCEA(templateId), nullptr, IgnoreAll, 0)) {}
    ~TemplateDialog() {
        if (_dialog) DestroyWindow(_dialog);
    }
    TemplateDialog(const TemplateDialog&) = delete;
    TemplateDialog& operator=(const TemplateDialog&) = delete;
    HWND get() const { return _dialog; }

private:
    HWND _dialog;
};

std::string TextOfWindow(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The kind of a control as the dialogs rely on it: its class, and for
// buttons their type (a check box must answer BM_GETCHECK, OK must be the
// default).
std::string KindOf(HWND control) {
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    std::string kind = name;
    if (kind != "Button") return kind;
    switch (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
        return "push";
    case BS_DEFPUSHBUTTON:
        return "default";
    case BS_AUTOCHECKBOX:
        return "check";
    case BS_AUTORADIOBUTTON:
        return "radio";
    case BS_GROUPBOX:
        return "frame";
    default:
        return "other button";
    }
}

struct Control {
    int id;
    const char* kind;
    const char* caption;
};

// Compares the dialog's children, in template order, with `expected`.
void ExpectControls(HWND dialog, const std::vector<Control>& expected) {
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ASSERT_LT(index, expected.size()) << "an extra control, id " << GetDlgCtrlID(child);
        const Control& row = expected[index++];
        SCOPED_TRACE(row.id);
        EXPECT_EQ(row.id, static_cast<short>(GetDlgCtrlID(child)));
        EXPECT_EQ(row.kind, KindOf(child));
        if (row.caption) {
            EXPECT_EQ(row.caption, TextOfWindow(child));
        }
    }
    EXPECT_EQ(expected.size(), index);
}

// The ids that Tab visits, from the first tab stop until it comes round.
std::vector<int> TabOrder(HWND dialog) {
    std::vector<int> order;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND at = first; at; at = GetNextDlgTabItem(dialog, at, FALSE)) {
        order.push_back(GetDlgCtrlID(at));
        if (GetNextDlgTabItem(dialog, at, FALSE) == first || order.size() > 64) break;
    }
    return order;
}

// Where a control lies in dialog units of its dialog's font.
struct Place {
    int id;
    RECT units; // left, top, width, height
};

void ExpectPlaces(HWND dialog, const std::vector<Place>& places) {
    for (const Place& place : places) {
        SCOPED_TRACE(place.id);
        // Mapped field by field, as the dialog manager does: the size is
        // rounded on its own, not as the difference of two mapped edges.
        RECT expected = place.units;
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(GetDlgItem(dialog, place.id), &actual);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(expected.left, actual.left);
        EXPECT_EQ(expected.top, actual.top);
        EXPECT_EQ(expected.right, actual.right - actual.left);
        EXPECT_EQ(expected.bottom, actual.bottom - actual.top);
    }
}

void ExpectFrame(HWND dialog, LONG width, LONG height) {
    EXPECT_EQ("Trovik", TextOfWindow(dialog));
    RECT expected = {0, 0, width, height};
    MapDialogRect(dialog, &expected);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(expected.right, client.right);
    EXPECT_EQ(expected.bottom, client.bottom);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
}

} // namespace

TEST(Templates, SearchDialog) {
    TemplateDialog dialog(IDD_SEARCH);
    ASSERT_NE(nullptr, dialog.get());
    ExpectFrame(dialog.get(), 323, 230);
    EXPECT_FALSE(IsWindowVisible(dialog.get())); // shown by the modal call
    ExpectControls(dialog.get(), {
                                     {IDC_TEXT, "ComboBox", nullptr},
                                     {IDC_SET_NAME, "ComboBox", nullptr},
                                     {IDC_DIR_LIST, "Edit", ""},
                                     {IDC_FILE_TYPES, "ComboBox", nullptr},
                                     {-1, "frame", " Mode "},
                                     {IDC_FIND_TEXT, "radio", " &Find Text"},
                                     {IDC_STATISTICS, "radio", " &Statistics"},
                                     {IDC_QUICK_REFERENCE, "push", ""},
                                     {IDC_SAVE_SET, "push", "S&ave"},
                                     {IDC_REMOVE_SET, "push", "Rem&ove"},
                                     {IDC_CLEAR, "push", "Cl&ear"},
                                     {IDC_ADD_DIRECTORY, "push", "Add &Directory..."},
                                     {IDC_ADD_FILE, "push", "Add F&ile..."},
                                     {IDOK, "default", "OK"},
                                     {IDCANCEL, "push", "Cancel"},
                                     {IDHELP, "push", "Help"},
                                     {IDC_CASE_SENSITIVE, "check", " &Case sensitive"},
                                     {IDC_WHOLE_WORDS, "check", " &Whole words only"},
                                     {IDC_REGEX, "check", " &Regular expression"},
                                     {-1, "Static", "Directories/Files"},
                                     {IDC_SUB_DIRS, "check", " Search s&ubdirectories"},
                                     {IDC_ONLY_FILE, "check", " Re&port file names only"},
                                     {-1, "Static", "File Types"},
                                     {-1, "Static", "! leaves out:  !*.min.js;!obj\\"},
                                     {-1, "Static", "File Set"},
                                     {IDC_TEXT_GROUP, "frame", " Text to find "},
                                     {IDC_FILES_GROUP, "frame", " Files "},
                                     {-1, "Static", nullptr}, // the icon
                                     {IDC_KEEP_MESS, "check", " &Keep old mess."},
                                 });
    // The quick-reference button is left out of the round.
    EXPECT_EQ((std::vector<int>{
                  IDC_TEXT,        IDC_SET_NAME, IDC_DIR_LIST,   IDC_FILE_TYPES, IDC_FIND_TEXT,
                  IDC_STATISTICS,  IDC_SAVE_SET, IDC_REMOVE_SET, IDC_CLEAR,      IDC_ADD_DIRECTORY,
                  IDC_ADD_FILE,    IDOK,         IDCANCEL,       IDHELP,         IDC_CASE_SENSITIVE,
                  IDC_WHOLE_WORDS, IDC_REGEX,    IDC_SUB_DIRS,   IDC_ONLY_FILE,  IDC_KEEP_MESS}),
              TabOrder(dialog.get()));
    EXPECT_EQ(MAKELONG(IDOK, DC_HASDEFID), SendMessageA(dialog.get(), DM_GETDEFID, 0, 0));
    ExpectPlaces(dialog.get(), {
                                   {IDC_DIR_LIST, {14, 102, 232, 80}},
                                   {IDC_QUICK_REFERENCE, {231, 35, 6, 7}},
                                   {IDOK, {268, 76, 40, 14}},
                                   {IDC_FILES_GROUP, {6, 52, 248, 172}},
                                   {IDC_KEEP_MESS, {260, 48, 60, 12}},
                               });
    // The list takes Enter as the dialog's OK, not as a new line.
    EXPECT_EQ(0, GetWindowLongA(GetDlgItem(dialog.get(), IDC_DIR_LIST), GWL_STYLE) & ES_WANTRETURN);
    EXPECT_EQ(0, GetWindowLongA(GetDlgItem(dialog.get(), IDC_FILE_TYPES), GWL_STYLE) & CBS_SORT);
    EXPECT_NE(0, GetWindowLongA(GetDlgItem(dialog.get(), IDC_SET_NAME), GWL_STYLE) & CBS_SORT);
}

TEST(Templates, SearchDialogIcon) {
    TemplateDialog dialog(IDD_SEARCH);
    HWND icon = GetWindow(GetDlgItem(dialog.get(), IDC_FILES_GROUP), GW_HWNDNEXT);
    EXPECT_NE(0, SendMessageA(icon, STM_GETICON, 0, 0));
    for (int size : {16, 32}) {
        HANDLE image = LoadImageA(static_cast<HMODULE>(BuiltLibrary()),
                                  MAKEINTRESOURCEA(IDI_TROVIK), IMAGE_ICON, size, size, 0);
        EXPECT_NE(nullptr, image) << size;
        if (image) DestroyIcon(static_cast<HICON>(image));
    }
}

TEST(Templates, ProgressWindow) {
    TemplateDialog dialog(IDD_PROGRESS);
    ASSERT_NE(nullptr, dialog.get());
    ExpectFrame(dialog.get(), 296, 66);
    EXPECT_TRUE(IsWindowVisible(dialog.get())); // modeless, shown at once
    ExpectControls(dialog.get(), {
                                     {IDC_PROGRESS_DIRECTORY, "Static", "..."},
                                     {IDC_PROGRESS_FILES, "Static", "Searched files: "},
                                     {IDC_PROGRESS_HITS, "Static", "Hits:"},
                                     {IDC_PROGRESS_LAST_HIT, "Static", ""},
                                     {IDC_PROGRESS_STOP, "push", "Stop"},
                                     {IDCANCEL, "push", "Cancel"},
                                 });
    EXPECT_EQ((std::vector<int>{IDC_PROGRESS_STOP, IDCANCEL}), TabOrder(dialog.get()));
    ExpectPlaces(dialog.get(), {
                                   {IDC_PROGRESS_DIRECTORY, {7, 5, 282, 8}},
                                   {IDC_PROGRESS_HITS, {112, 17, 177, 8}},
                                   {IDCANCEL, {152, 47, 50, 14}},
                               });
}

// The real search dialog, from the template of the built trovik.dll, with
// its settings file in a scratch directory, operated through its controls'
// ids from a second thread; message boxes are the platform's own and are
// answered by that thread. The rules themselves are checked in
// search_dialog_logic_test.cpp: here the window, its controls and their
// notifications.
#include "ui/profile_store.h"
#include "ui/search_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/fs/scratch_dir.h"
#include "tests/ui/built_library.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/kernel_settings.h"

namespace {

class SearchDialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(BuiltLibrary(), nullptr);
        settings.SettingsPath = (dir / "TROVIK.INI").c_str();
        settings.HelpPath = (dir / "TROVIK.HLP").c_str();
    }

    // Shows the dialog while `script` operates it; a dialog the script left
    // open is cancelled, so that a failed step cannot hang the test.
    int Run(const std::function<void(HWND)>& script) {
        DialogDriver driver([&] {
            HWND dialog = WaitForDialog(IDC_SET_NAME);
            if (dialog == nullptr) return ADD_FAILURE() << "the dialog did not appear";
            script(dialog);
            if (!WaitUntilClosed(dialog, 2000)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        return ShowSearchDialog(BuiltLibrary(), settings);
    }

    ScratchDir dir;
    SearchSettingsRecord settings;
};

// The checks inside a script run on the driver's thread while the dialog is
// open; the assertions are thread-safe.

TEST_F(SearchDialogWindow, OpensWithDefaultsAndStatisticsDisablesTheTextControls) {
    const int textControls[] = {IDC_TEXT,  IDC_CASE_SENSITIVE, IDC_WHOLE_WORDS,
                                IDC_REGEX, IDC_ONLY_FILE,      IDC_QUICK_REFERENCE};
    const auto enabledCount = [](HWND dialog, std::initializer_list<int> ids) {
        int count = 0;
        for (int id : ids)
            count += IsEnabled(dialog, id);
        return count;
    };
    const int result = Run([&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog, IDC_FILE_TYPES), "*.*");
        EXPECT_EQ(TextOf(dialog, IDC_DIR_LIST), "");
        EXPECT_EQ(IsChecked(dialog, IDC_SUB_DIRS) + IsChecked(dialog, IDC_FIND_TEXT), 2);
        EXPECT_EQ(enabledCount(dialog, {IDC_SAVE_SET, IDC_REMOVE_SET}), 0);
        HWND focus = FocusOf(dialog);
        EXPECT_TRUE(focus != nullptr && (focus == GetDlgItem(dialog, IDC_TEXT) ||
                                         GetParent(focus) == GetDlgItem(dialog, IDC_TEXT)));
        Click(dialog, IDC_STATISTICS);
        for (int id : textControls)
            EXPECT_EQ(IsEnabled(dialog, id), 0) << id;
        EXPECT_EQ(enabledCount(dialog, {IDC_KEEP_MESS, IDC_DIR_LIST, IDC_FILE_TYPES, IDOK, IDCANCEL,
                                        IDHELP}),
                  6);
        Click(dialog, IDC_FIND_TEXT);
        for (int id : textControls)
            EXPECT_EQ(IsEnabled(dialog, id), 1) << id;
        ClickLater(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(settings.SettingsPath), ""); // Cancel writes nothing
}

TEST_F(SearchDialogWindow, OwnFieldChangesAreNotTheUsersAndRemoveDefaultsToCancel) {
    WriteBytes(settings.SettingsPath, kernelExample);
    const int result = Run([&](HWND dialog) {
        EXPECT_EQ(IsEnabled(dialog, IDC_SAVE_SET), 0);
        Choose(dialog, IDC_SET_NAME, 0);
        EXPECT_EQ(IsEnabled(dialog, IDC_SAVE_SET), 0);
        EXPECT_EQ(IsEnabled(dialog, IDC_REMOVE_SET), 1);
        ClickLater(dialog, IDC_REMOVE_SET);
        const AnsweredBox refused = AnswerBox(IDCANCEL);
        EXPECT_EQ(refused.text, "Remove file set?");
        EXPECT_EQ(refused.defaultButton, IDCANCEL);
        ClickLater(dialog, IDC_REMOVE_SET);
        EXPECT_EQ(AnswerBox(IDOK).caption, "Trovik");
        EXPECT_EQ(TextOf(dialog, IDC_DIR_LIST) + TextOf(dialog, IDC_SET_NAME) +
                      TextOf(dialog, IDC_FILE_TYPES),
                  "");
        EXPECT_EQ(ComboCount(dialog, IDC_SET_NAME), 0);
        ClickLater(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(settings.fileSetModified, 0);
    ProfileFile file(settings.SettingsPath.c_str());
    EXPECT_EQ(file.ReadString("SetList", "Set0", "-", 32), "");
    EXPECT_EQ(file.ReadString("DirSetKernel", "DirList", "-", 32), "");
}

// Each kind of control reaches the dialog through its own notification: the
// set list's choice, a combo box's edit field, the list's edit, a check box.
// Save/Update tells each apart: a choice loads the set and disables it, an
// edit of the file set enables it as "Upd&ate", a new name as "S&ave".
TEST_F(SearchDialogWindow, EveryKindOfControlNotifiesThroughItself) {
    WriteBytes(settings.SettingsPath, "[DirSetKernel]\r\nDirList=C:\\SRC;\r\nFileType=*.c\r\n"
                                      "[SetList]\r\nSet0=Kernel\r\nSet1=\r\n"
                                      "[DirSetLastOne]\r\nDirList=C:\\LAST;\r\n");
    std::vector<std::string> seen;
    const auto note = [&seen](HWND dialog, const char* step) {
        seen.push_back(std::string(step) + ": " + TextOf(dialog, IDC_DIR_LIST) + " " +
                       (IsEnabled(dialog, IDC_SAVE_SET) ? TextOf(dialog, IDC_SAVE_SET) : "-"));
    };
    const auto update = [](HWND dialog) {
        ClickLater(dialog, IDC_SAVE_SET);
        AnswerBox(IDYES);
    };
    Run([&](HWND dialog) {
        note(dialog, "open");
        Choose(dialog, IDC_SET_NAME, 0);
        note(dialog, "chosen");
        Type(dialog, IDC_FILE_TYPES, "*.h");
        note(dialog, "types");
        update(dialog);
        Click(dialog, IDC_SUB_DIRS);
        note(dialog, "subdirectories");
        update(dialog);
        Type(dialog, IDC_DIR_LIST, "C:\\A\r\nC:\\B");
        note(dialog, "list");
        update(dialog);
        Type(dialog, IDC_SET_NAME, "New");
        note(dialog, "name");
        ClickLater(dialog, IDCANCEL);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "open: C:\\LAST\r\n -", "chosen: C:\\SRC\r\n -",
                        "types: C:\\SRC\r\n Upd&ate", "subdirectories: C:\\SRC\r\n Upd&ate",
                        "list: C:\\A\r\nC:\\B Upd&ate", "name: C:\\A\r\nC:\\B S&ave"}));
    ProfileFile file(settings.SettingsPath.c_str());
    EXPECT_EQ(file.ReadString("DirSetKernel", "DirList", "-", 60), "C:\\A;C:\\B");
    EXPECT_EQ(file.ReadString("DirSetKernel", "FileType", "-", 60), "*.h");
    EXPECT_EQ(file.ReadString("DirSetKernel", "SubDir", "-", 60), "0");
}

TEST_F(SearchDialogWindow, AFailedWriteIsToldInABoxTheDialogOwns) {
    settings.SettingsPath = (dir / "missing\\TROVIK.INI").c_str();
    HWND shownBy = nullptr;
    AnsweredBox box;
    const int result = Run([&](HWND dialog) {
        shownBy = dialog;
        Type(dialog, IDC_TEXT, "x");
        ClickLater(dialog, IDOK);
        box = AnswerBox(IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_NE(box.text.find(settings.SettingsPath), std::string::npos) << box.text;
    EXPECT_EQ(box.owner, shownBy);
    EXPECT_FALSE(box.ownerEnabled); // OK cannot run again underneath it
}

TEST_F(SearchDialogWindow, ARefusedNameAtOkKeepsTheDialogOpenWithTheNameSelected) {
    WriteBytes(settings.SettingsPath, "[SetList]\r\nSet0=a-b\r\nSet1=\r\n");
    const int result = Run([&](HWND dialog) {
        Type(dialog, IDC_TEXT, "x");
        Type(dialog, IDC_SET_NAME, "a b");
        ClickLater(dialog, IDOK);
        EXPECT_NE(AnswerBox(IDOK).text.find("Choose another name."), std::string::npos);
        EXPECT_FALSE(WaitUntilClosed(dialog, 500));
        HWND focus = FocusOf(dialog);
        EXPECT_TRUE(focus != nullptr && GetParent(focus) == GetDlgItem(dialog, IDC_SET_NAME));
        const DWORD selection =
            static_cast<DWORD>(SendMessageA(GetDlgItem(dialog, IDC_SET_NAME), CB_GETEDITSEL, 0, 0));
        EXPECT_EQ(LOWORD(selection), 0);
        EXPECT_EQ(HIWORD(selection), 3);
        ClickLater(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
}

} // namespace

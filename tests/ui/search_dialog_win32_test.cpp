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
            if (dialog == nullptr) return;
            script(dialog);
            if (!WaitUntilClosed(dialog, 2000)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        return ShowSearchDialog(BuiltLibrary(), settings);
    }

    ScratchDir dir;
    SearchSettingsRecord settings;
};

TEST_F(SearchDialogWindow, OpensWithDefaultsAndStatisticsDisablesTheTextControls) {
    std::string types, list;
    int subDirs = 0, findText = 0, focused = 0, saveEnabled = 1;
    int textControlsEnabled = -1, textControlsAfter = -1, fileControlsEnabled = 0;
    const int textControls[] = {IDC_TEXT,  IDC_CASE_SENSITIVE, IDC_WHOLE_WORDS,
                                IDC_REGEX, IDC_ONLY_FILE,      IDC_QUICK_REFERENCE};
    const int result = Run([&](HWND dialog) {
        types = TextOf(dialog, IDC_FILE_TYPES);
        list = TextOf(dialog, IDC_DIR_LIST);
        subDirs = IsChecked(dialog, IDC_SUB_DIRS);
        findText = IsChecked(dialog, IDC_FIND_TEXT);
        saveEnabled = IsEnabled(dialog, IDC_SAVE_SET) + IsEnabled(dialog, IDC_REMOVE_SET);
        HWND focus = FocusOf(dialog);
        focused = focus != nullptr && (focus == GetDlgItem(dialog, IDC_TEXT) ||
                                       GetParent(focus) == GetDlgItem(dialog, IDC_TEXT));
        Click(dialog, IDC_STATISTICS);
        textControlsEnabled = 0;
        for (int id : textControls)
            textControlsEnabled += IsEnabled(dialog, id);
        for (int id : {IDC_KEEP_MESS, IDC_DIR_LIST, IDC_FILE_TYPES, IDOK, IDCANCEL, IDHELP})
            fileControlsEnabled += IsEnabled(dialog, id);
        Click(dialog, IDC_FIND_TEXT);
        textControlsAfter = 0;
        for (int id : textControls)
            textControlsAfter += IsEnabled(dialog, id);
        ClickLater(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(types, "*.*");
    EXPECT_EQ(list, "");
    EXPECT_EQ(subDirs + findText, 2);
    EXPECT_EQ(saveEnabled, 0);
    EXPECT_EQ(focused, 1);
    EXPECT_EQ(textControlsEnabled, 0);
    EXPECT_EQ(fileControlsEnabled, 6);
    EXPECT_EQ(textControlsAfter, 6);
    EXPECT_EQ(ReadBytes(settings.SettingsPath), ""); // Cancel writes nothing
}

TEST_F(SearchDialogWindow, OwnFieldChangesAreNotTheUsersAndRemoveDefaultsToCancel) {
    WriteBytes(settings.SettingsPath, kernelExample);
    int saveEnabledAtOpen = 1, saveEnabledAfterChoice = 1, removeEnabled = 0, count = -1;
    std::string list, setName, types;
    AnsweredBox refused, removal;
    const int result = Run([&](HWND dialog) {
        saveEnabledAtOpen = IsEnabled(dialog, IDC_SAVE_SET);
        Choose(dialog, IDC_SET_NAME, 0);
        saveEnabledAfterChoice = IsEnabled(dialog, IDC_SAVE_SET);
        removeEnabled = IsEnabled(dialog, IDC_REMOVE_SET);
        ClickLater(dialog, IDC_REMOVE_SET);
        refused = AnswerBox(IDCANCEL);
        ClickLater(dialog, IDC_REMOVE_SET);
        removal = AnswerBox(IDOK);
        list = TextOf(dialog, IDC_DIR_LIST);
        setName = TextOf(dialog, IDC_SET_NAME);
        types = TextOf(dialog, IDC_FILE_TYPES);
        count = ComboCount(dialog, IDC_SET_NAME);
        ClickLater(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(saveEnabledAtOpen, 0);
    EXPECT_EQ(saveEnabledAfterChoice, 0);
    EXPECT_EQ(removeEnabled, 1);
    EXPECT_EQ(settings.fileSetModified, 0);
    EXPECT_EQ(refused.text, "Remove file set?");
    EXPECT_EQ(refused.defaultButton, IDCANCEL);
    EXPECT_EQ(removal.caption, "Trovik");
    EXPECT_EQ(list + setName + types, "");
    EXPECT_EQ(count, 0);
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
    AnsweredBox refusal;
    bool stillOpen = false, nameFocused = false;
    DWORD selection = 0;
    const int result = Run([&](HWND dialog) {
        Type(dialog, IDC_TEXT, "x");
        Type(dialog, IDC_SET_NAME, "a b");
        ClickLater(dialog, IDOK);
        refusal = AnswerBox(IDOK);
        stillOpen = !WaitUntilClosed(dialog, 500);
        HWND focus = FocusOf(dialog);
        nameFocused = focus != nullptr && GetParent(focus) == GetDlgItem(dialog, IDC_SET_NAME);
        selection =
            static_cast<DWORD>(SendMessageA(GetDlgItem(dialog, IDC_SET_NAME), CB_GETEDITSEL, 0, 0));
        ClickLater(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_NE(refusal.text.find("Choose another name."), std::string::npos);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(nameFocused);
    EXPECT_EQ(LOWORD(selection), 0);
    EXPECT_EQ(HIWORD(selection), 3);
}

} // namespace

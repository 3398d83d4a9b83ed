// The path pickers on the platform's real open-file dialog, operated from the
// driver thread as a user would: open folders, choose a drive, type a name,
// press OK or Cancel. Every pick starts in a scratch tree of its own:
//   <root>\sub\inner.txt
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>

#include "base/string.h"
#include "tests/fs/scratch_dir.h"
#include "tests/ui/dialog_driver.h"
#include "ui/path_pickers.h"

namespace {

const char directoryTitle[] = "Select a directory";
const char fileTitle[] = "Select a file";

std::string CurrentDirectory() {
    char path[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

// Waits for the picker's dialog, lets `act` operate it, and cancels it
// should it still be open, so that a failed step never hangs the test. The
// checks inside `act` run on the driver's thread; the assertions are
// thread-safe.
template <typename Act>
void Operate(const char* title, Act act) {
    HWND dialog = WaitForWindow(title);
    if (dialog == nullptr) return ADD_FAILURE() << "no dialog " << title;
    act(dialog);
    if (IsWindow(dialog) && !WaitUntilClosed(dialog, 2000)) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        WaitUntilClosed(dialog);
    }
}

// A scratch tree (ScratchDir), left where the pickers and the
// process's current directory started.
class PathPickers : public ::testing::Test {
protected:
    void SetUp() override {
        scratch.Write("sub\\inner.txt", "");
        startDirectory = CurrentDirectory();
        SetCurrentDirectoryA(root.c_str());
        lastPickedDirectory = "";
        owner = CreateWindowExA(0, "Static", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        SetCurrentDirectoryA(startDirectory.c_str());
    }

    // Runs PickDirectory while `act` operates its dialog.
    template <typename Act>
    int PickDirectoryWith(String& result, Act act) {
        DialogDriver driver([&] { Operate(directoryTitle, act); });
        return PickDirectory(owner, result, directoryTitle);
    }
    template <typename Act>
    int PickFileWith(String& result, Act act) {
        DialogDriver driver([&] { Operate(fileTitle, act); });
        return PickFile(owner, result, fileTitle);
    }

    ScratchDir scratch;
    const std::string root = scratch.Path();
    const std::string sub = root + "\\sub";
    std::string startDirectory;
    HWND owner = nullptr;
};

void PressOk(HWND dialog) {
    Click(dialog, IDOK);
}

// Puts a name into the file picker's name field (cmb13 of the Explorer-style
// dialog) as a paste would. The platform's dialog reads the field at OK;
// typed keys would meet its completion of names, which runs on its own time.
void PutName(HWND dialog, const std::string& name) {
    HWND field = GetDlgItem(dialog, cmb13);
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb13, CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(field));
}

// Puts a name into the file picker's name field and presses OK.
auto TypeAndOk(const std::string& name) {
    return [name](HWND dialog) {
        PutName(dialog, name);
        Click(dialog, IDOK);
    };
}

} // namespace

// ---- Directory picker

TEST_F(PathPickers, DirectoryPickerReturnsTheFolderOpenAtOk) {
    String result = "before";
    const int picked = PickDirectoryWith(result, [](HWND dialog) {
        if (DoubleClickEntry(dialog, lst2, "[sub]")) Click(dialog, IDOK);
    });
    ASSERT_EQ(1, picked);
    EXPECT_EQ(0, lstrcmpiA(sub.c_str(), result.c_str())) << result; // no trailing backslash
    EXPECT_EQ(result, lastPickedDirectory);
    EXPECT_EQ(root, CurrentDirectory()); // the dialog's walk leaves it alone
}

TEST_F(PathPickers, DirectoryPickerGivesADriveRootAsTheDriveAlone) {
    String result;
    // The drive's root is reached through the parent folders: choosing a
    // drive opens its current directory.
    const int picked = PickDirectoryWith(result, [](HWND dialog) {
        for (int up = 0; up < 32 && DoubleClickEntry(dialog, lst2, "[..]"); ++up) {
        }
        Click(dialog, IDOK);
    });
    ASSERT_EQ(1, picked);
    EXPECT_STRCASEEQ("C:", result.c_str());
    EXPECT_EQ(result, lastPickedDirectory);
}

// "C:" alone names the drive's current directory (here the scratch tree):
// a picked root opens the next picker at the root.
TEST_F(PathPickers, APickedDriveRootStartsTheNextPickAtTheRoot) {
    lastPickedDirectory = "C:";
    String result;
    ASSERT_EQ(1, PickDirectoryWith(result, PressOk));
    EXPECT_STRCASEEQ("C:", result.c_str());
}

TEST_F(PathPickers, DirectoryPickerShowsOnlyTheDirectoryHalf) {
    String result;
    PickDirectoryWith(result, [](HWND dialog) {
        for (int id : {stc3, edt1, lst1, stc2, cmb1})
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
        EXPECT_EQ(GetDlgItem(dialog, lst2), FocusOf(dialog));
        // The file half is cut away: the file list lies outside the dialog, and
        // the directory list stands as far from the left edge as OK from the right.
        RECT frame, fileList, directoryList, ok;
        GetWindowRect(dialog, &frame);
        GetWindowRect(GetDlgItem(dialog, lst1), &fileList);
        GetWindowRect(GetDlgItem(dialog, lst2), &directoryList);
        GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
        EXPECT_LT(fileList.right, frame.left);
        EXPECT_EQ(frame.right - ok.right, directoryList.left - frame.left);
        Click(dialog, IDCANCEL);
    });
}

TEST_F(PathPickers, CancelReturnsNothingAndChangesNothing) {
    lastPickedDirectory = root.c_str();
    String result = "before";
    EXPECT_EQ(0, PickDirectoryWith(result, [](HWND dialog) {
                  DoubleClickEntry(dialog, lst2, "[sub]");
                  Click(dialog, IDCANCEL);
              }));
    EXPECT_EQ(0, PickFileWith(result, [](HWND dialog) { Click(dialog, IDCANCEL); }));
    EXPECT_EQ("before", result);
    EXPECT_EQ(root, lastPickedDirectory);
    EXPECT_EQ(root, CurrentDirectory());
}

// ---- File picker

TEST_F(PathPickers, FilePickerRefusesAMissingFile) {
    String result = "before";
    EXPECT_EQ(0, PickFileWith(result, [](HWND dialog) {
                  PutName(dialog, "missing.txt");
                  ClickLater(dialog, IDOK); // the dialog answers with a box of its own
                  const AnsweredBox box = AnswerBox(IDOK);
                  EXPECT_TRUE(box.found && IsWindow(dialog)) << box.text; // still open
                  Click(dialog, IDCANCEL);
              }));
    EXPECT_EQ("before", result);
    EXPECT_EQ("", lastPickedDirectory);
}

// ---- Where the pickers open

TEST_F(PathPickers, PickersOpenInTheCurrentDirectoryThenWhereTheLastPickWasMade) {
    String result;
    // Nothing picked yet: OK at once gives the process's current directory.
    ASSERT_EQ(1, PickDirectoryWith(result, PressOk));
    EXPECT_EQ(0, lstrcmpiA(root.c_str(), result.c_str())) << result;

    // A file picked in sub: both pickers open there, whatever the current
    // directory says.
    ASSERT_EQ(1, PickFileWith(result, TypeAndOk(sub + "\\inner.txt")));
    EXPECT_EQ(0, lstrcmpiA((sub + "\\inner.txt").c_str(), result.c_str())) << result;
    EXPECT_EQ(root, CurrentDirectory());
    SetCurrentDirectoryA("C:\\");
    ASSERT_EQ(1, PickDirectoryWith(result, PressOk));
    EXPECT_EQ(0, lstrcmpiA(sub.c_str(), result.c_str())) << result;
    ASSERT_EQ(1, PickFileWith(result, TypeAndOk("inner.txt")));
    EXPECT_EQ(0, lstrcmpiA((sub + "\\inner.txt").c_str(), result.c_str())) << result;
}

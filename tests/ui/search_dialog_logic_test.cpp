// The search dialog's behaviour, operated as a person would through its
// controls, over each settings store of the configuration: what it shows
// when it opens, what every command does, what it writes and in which order.
#include "ui/search_dialog_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "tests/ui/fake_dialog_view.h"
#include "tests/ui/kernel_settings.h"
#include "tests/ui/stores.h"
#include "ui/settings_file.h"

namespace {

class SearchDialog : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        Reopen("", 0);
        settings.HelpPath = "C:\\Tools\\TROVIK.HLP";
        settings.HelpPagePath = "C:\\Tools\\TROVIK.HTM";
    }

    // A new dialog over `file` (exists 0: no settings file).
    void Reopen(const std::string& text, int exists = 1) {
        file = MakeStore(GetParam(), text, exists);
        Open();
    }
    // A new dialog over the same file and settings.
    void Open() {
        logic.reset();
        view.reset(new FakeDialogView);
        logic.reset(new SearchDialogLogic(*view, settings, file->Store()));
        logic->Open();
    }
    void Type(int id, const std::string& text) {
        if (id == IDC_DIR_LIST) {
            view->list = text;
            logic->Command(id, notifyEditChange);
        } else {
            view->Combo(id).SetText(text);
            logic->Command(id, notifyComboEditChange);
        }
    }
    void Click(int id, std::vector<int> answers = {}) {
        view->answers = answers;
        if (id == IDC_FIND_TEXT || id == IDC_STATISTICS) {
            view->checked[IDC_FIND_TEXT] = id == IDC_FIND_TEXT;
            view->checked[IDC_STATISTICS] = id == IDC_STATISTICS;
        } else if (id >= IDC_CASE_SENSITIVE && id != IDC_SAVE_SET && id != IDC_REMOVE_SET &&
                   id != IDC_CLEAR && id != IDC_ADD_DIRECTORY && id != IDC_ADD_FILE &&
                   id != IDC_QUICK_REFERENCE) {
            view->checked[id] = !view->checked[id]; // the check boxes
        }
        logic->Command(id, notifyClicked);
    }
    void Choose(int index) {
        view->selection = index;
        logic->Command(IDC_SET_NAME, notifyComboSelChange);
        view->setName.text = view->setName.entries[index];
    }
    std::string Read(const char* section, const char* key) {
        return file->Store().ReadString(section, key, "<missing>", 300);
    }
    // Saves a set named `name` holding `list`.
    void SaveSet(const std::string& name, const std::string& list) {
        Type(IDC_SET_NAME, name);
        Type(IDC_DIR_LIST, list);
        Click(IDC_SAVE_SET, {answerYes});
    }

    std::unique_ptr<StoreUnderTest> file;
    SearchSettingsRecord settings;
    std::unique_ptr<FakeDialogView> view;
    std::unique_ptr<SearchDialogLogic> logic;
};

// ---- Opening

TEST_P(SearchDialog, FirstOpenWithoutSettingsFile) {
    EXPECT_EQ(view->checked[IDC_FIND_TEXT], 1);
    for (int id : {IDC_STATISTICS, IDC_CASE_SENSITIVE, IDC_WHOLE_WORDS, IDC_REGEX, IDC_ONLY_FILE,
                   IDC_KEEP_MESS})
        EXPECT_EQ(view->checked[id], 0) << id;
    EXPECT_EQ(view->list, "");
    EXPECT_EQ(view->fileTypes.text, "*.*");
    EXPECT_EQ(view->checked[IDC_SUB_DIRS], 1);
    EXPECT_TRUE(view->text.entries.empty() && view->setName.entries.empty() &&
                view->fileTypes.entries.empty());
    EXPECT_EQ(view->enabled[IDC_SAVE_SET] + view->enabled[IDC_REMOVE_SET], 0);
    EXPECT_EQ(view->focus, IDC_TEXT);
    EXPECT_EQ(view->limits[IDC_TEXT], 60);
    EXPECT_EQ(view->limits[IDC_SET_NAME], 32);
    EXPECT_EQ(file->Text(), ""); // opening writes nothing
}

TEST_P(SearchDialog, HostTextOfSixtyCharactersIsShownAndTakenWhole) {
    const std::string text(60, 'h');
    settings.hostText = text;
    Open();
    EXPECT_EQ(view->text.text, text);
    Click(IDC_OK);
    EXPECT_EQ(settings.textToFind, text);
    EXPECT_EQ(view->result, 1);
}

// ---- OK and the settings file

TEST_P(SearchDialog, SaveThenOkWritesTheFileInOrder) {
    Type(IDC_TEXT, "OpenFile");
    Type(IDC_FILE_TYPES, "*.cpp;*.h");
    Click(IDC_CASE_SENSITIVE);
    SaveSet("Kernel", "C:\\SRC\\KERNEL\r\nC:\\SRC\\INCLUDE\r\n");
    ASSERT_EQ(view->asked.size(), 1u);
    EXPECT_EQ(view->asked[0].text, "Save file set?");
    EXPECT_EQ(view->asked[0].style, unsigned(boxYesNo | boxIconQuestion));
    Click(IDC_OK); // the saved set is unchanged: no question
    EXPECT_EQ(view->asked.size(), 1u);
    EXPECT_EQ(view->result, 1);
    EXPECT_EQ(file->Text(), kernelExample);
    EXPECT_EQ(settings.dirList, "C:\\SRC\\KERNEL;C:\\SRC\\INCLUDE;");
    EXPECT_EQ(settings.fileTypes, "*.cpp;*.h");
    EXPECT_EQ(settings.CaseSensitive, 1);

    Open(); // the next dialog shows what was confirmed
    EXPECT_EQ(view->setName.text, "Kernel");
    EXPECT_EQ(view->list, "C:\\SRC\\KERNEL\r\nC:\\SRC\\INCLUDE\r\n");
    EXPECT_EQ(view->text.text, "OpenFile");
    EXPECT_EQ(view->checked[IDC_CASE_SENSITIVE], 1);
}

TEST_P(SearchDialog, OkWithAnEmptyTextWritesEverythingAndClosesWithZero) {
    Click(IDC_STATISTICS);
    Type(IDC_DIR_LIST, "C:\\A\r\n");
    Click(IDC_OK);
    EXPECT_EQ(view->result, 0);
    EXPECT_EQ(Read("Settings", "Stat"), "1");
    EXPECT_EQ(Read("DirSetLastOne", "DirList"), "C:\\A;");
    EXPECT_EQ(Read("Settings", "LastSet"), "");

    Type(IDC_TEXT, "   "); // spaces are a text here
    Click(IDC_OK);
    EXPECT_EQ(view->result, 1);
}

TEST_P(SearchDialog, NoToTheSaveQuestionLeavesLastSetEmpty) {
    Type(IDC_SET_NAME, "Work");
    Type(IDC_DIR_LIST, "C:\\W\r\n");
    Type(IDC_TEXT, "x");
    Click(IDC_OK, {answerNo});
    EXPECT_EQ(view->asked.at(0).text, "Save file set?");
    EXPECT_EQ(Read("Settings", "LastSet"), "");
    EXPECT_EQ(Read("DirSetWork", "DirList"), "<missing>");
    Open();
    EXPECT_EQ(view->setName.text, "");
    EXPECT_EQ(view->list, "C:\\W\r\n");
}

// What a search without the dialog walks is what the last OK left, whatever
// a cancelled dialog showed; the changes it made are forgotten with it.
TEST_P(SearchDialog, CancelLeavesWhatTheLastOkLeft) {
    Type(IDC_FILE_TYPES, "*.o");
    Click(IDC_SUB_DIRS);
    SaveSet("Other", "C:\\O\r\n");
    Click(IDC_SUB_DIRS);
    Type(IDC_FILE_TYPES, "*.w");
    SaveSet("Work", "C:\\W\r\n");
    Type(IDC_TEXT, "x");
    Click(IDC_OK);
    ASSERT_EQ(settings.dirList, "C:\\W;");
    const std::function<void()> actions[] = {
        [] {},                                       // opening alone
        [this] { Choose(0); },                       // another set
        [this] { Type(IDC_DIR_LIST, "C:\\typed"); }, // an edit offered for update
        [this] {
            view->pickedDirectory = "C:\\NEW";
            Click(IDC_ADD_DIRECTORY);
        },
        [this] {
            Type(IDC_SET_NAME, "Third");
            Click(IDC_SAVE_SET, {answerYes});
        },
        [this] { Click(IDC_REMOVE_SET, {answerOk}); }, // confirmed: the set goes all the same
    };
    for (size_t i = 0; i < sizeof actions / sizeof actions[0]; ++i) {
        Open();
        actions[i]();
        Click(IDC_CANCEL);
        EXPECT_EQ(view->result, 0);
        EXPECT_EQ(settings.dirList, "C:\\W;") << i;
        EXPECT_EQ(settings.fileTypes, "*.w") << i;
        EXPECT_EQ(settings.SubDir, 1) << i;
        EXPECT_EQ(settings.fileSetModified, 0) << i;
    }
    EXPECT_EQ(Read("DirSetWork", "DirList"), "");
}

// ---- Set names and buttons

TEST_P(SearchDialog, SetNameButtonsFollowTheName) {
    SaveSet("Work", "C:\\W\r\n");
    EXPECT_EQ(view->setName.entries, std::vector<std::string>{"Work"});
    EXPECT_EQ(view->enabled[IDC_SAVE_SET], 0);
    EXPECT_EQ(view->enabled[IDC_REMOVE_SET], 1);
    struct Case {
        const char* name;
        int save, remove;
    } cases[] = {{"   ", 0, 0}, {"New", 1, 0}, {" work ", 0, 1}};
    for (const Case& c : cases) {
        Type(IDC_SET_NAME, c.name);
        EXPECT_EQ(view->enabled[IDC_SAVE_SET], c.save) << c.name;
        EXPECT_EQ(view->enabled[IDC_REMOVE_SET], c.remove) << c.name;
    }
}

TEST_P(SearchDialog, OnlyChoosingASetLoadsIt) {
    SaveSet("Beta", "C:\\B\r\n");
    SaveSet("alpha", "C:\\A\r\n");
    EXPECT_EQ(view->setName.entries, (std::vector<std::string>{"alpha", "Beta"}));
    Type(IDC_SET_NAME, "Beta");
    EXPECT_EQ(view->list, "C:\\A\r\n"); // typed: not loaded
    Type(IDC_DIR_LIST, "C:\\changed\r\n");
    Choose(1);
    EXPECT_EQ(view->list, "C:\\B\r\n");
    EXPECT_EQ(settings.fileSetModified, 0);
    EXPECT_EQ(view->enabled[IDC_SAVE_SET], 0);
    EXPECT_EQ(view->enabled[IDC_REMOVE_SET], 1);
}

TEST_P(SearchDialog, SavingUnderAnotherCaseUpdatesTheSameSet) {
    SaveSet("Work", "C:\\W\r\n");
    SaveSet("WORK", "C:\\X\r\n");
    EXPECT_EQ(view->asked.back().text, "Update file set?");
    EXPECT_EQ(view->setName.entries, std::vector<std::string>{"Work"});
    EXPECT_EQ(Read("DirSetWork", "DirList"), "C:\\X;");
}

TEST_P(SearchDialog, NamesThatWouldOverwriteAnotherSetAreRefused) {
    SaveSet("a-b", "C:\\AB\r\n");
    for (const char* name : {"a b", "LastOne", "lastONE"}) {
        const size_t asked = view->asked.size();
        SaveSet(name, "C:\\other\r\n");
        ASSERT_EQ(view->asked.size(), asked + 1) << name; // the refusal, no question
        EXPECT_NE(view->asked.back().text.find(name), std::string::npos);
        EXPECT_EQ(view->asked.back().caption, "Trovik");
    }
    EXPECT_NE(view->asked.at(1).text.find("\"a-b\""), std::string::npos);
    EXPECT_EQ(Read("DirSeta_b", "DirList"), "C:\\AB;");
    EXPECT_EQ(Read("DirSetLastOne", "DirList"), "<missing>");
    EXPECT_EQ(view->setName.entries, std::vector<std::string>{"a-b"});
}

TEST_P(SearchDialog, ARefusedNameAtOkKeepsTheDialogOpenWithTheNameSelected) {
    SaveSet("a-b", "C:\\AB\r\n");
    Type(IDC_TEXT, "x");
    SaveSet("a b", "C:\\other\r\n");
    view->selected = FakeDialogView::unset;
    const std::string before = file->Text();
    Click(IDC_OK);
    EXPECT_NE(view->asked.back().text.find("Choose another name."), std::string::npos);
    EXPECT_EQ(view->result, -1);
    EXPECT_EQ(view->selected, IDC_SET_NAME);
    EXPECT_EQ(file->Text(), before);
    Type(IDC_SET_NAME, "c");
    Click(IDC_OK, {answerYes});
    EXPECT_EQ(view->result, 1);
    EXPECT_EQ(Read("Settings", "LastSet"), "c");
}

TEST_P(SearchDialog, AFullSetListRefusesANewName) {
    std::string list;
    for (int i = 0; i < maxSetCount; ++i)
        list += "Set" + std::to_string(i) + "=s" + std::to_string(i) + "\r\n";
    Reopen("[SetList]\r\n" + list);
    ASSERT_EQ(view->setName.Count(), maxSetCount);
    SaveSet("one more", "C:\\M\r\n");
    EXPECT_NE(view->asked.back().text.find("full"), std::string::npos);
    EXPECT_EQ(Read("DirSetone_more", "DirList"), "<missing>");
}

// ---- Remove, Clear and the list

TEST_P(SearchDialog, RemoveAsksWithCancelAsDefaultThenEmptiesEverything) {
    SaveSet("Work", "C:\\W\r\n");
    Click(IDC_REMOVE_SET, {answerCancel});
    EXPECT_EQ(view->asked.back().style, unsigned(boxOkCancel | boxIconQuestion | boxDefaultSecond));
    EXPECT_EQ(view->setName.Count(), 1);
    Click(IDC_REMOVE_SET, {answerOk});
    EXPECT_EQ(view->asked.back().text, "Remove file set?");
    EXPECT_EQ(view->list + view->fileTypes.text + view->setName.text, "");
    EXPECT_EQ(view->setName.Count(), 0);
    EXPECT_EQ(Read("SetList", "Set0"), "");
    EXPECT_EQ(Read("DirSetWork", "DirList"), "");
    EXPECT_EQ(Read("DirSetWork", "FileType"), "");
    EXPECT_EQ(view->enabled[IDC_SAVE_SET] + view->enabled[IDC_REMOVE_SET], 0);
}

TEST_P(SearchDialog, ClearEmptiesListAndNameOnly) {
    SaveSet("Work", "C:\\W\r\n");
    Type(IDC_FILE_TYPES, "*.c");
    Click(IDC_SUB_DIRS);
    settings.fileSetModified = 0;
    Click(IDC_CLEAR);
    EXPECT_EQ(view->list + view->setName.text, "");
    EXPECT_EQ(view->fileTypes.text, "*.c");
    EXPECT_EQ(view->checked[IDC_SUB_DIRS], 0);
    EXPECT_EQ(settings.fileSetModified, 1);
}

TEST_P(SearchDialog, PickedPathsGoFirstAndAFullListRefusesThem) {
    Type(IDC_DIR_LIST, "C:\\A\r\n");
    settings.fileSetModified = 0;
    view->pickedDirectory = "C:\\NEW";
    Click(IDC_ADD_DIRECTORY);
    EXPECT_EQ(view->list, "C:\\NEW\r\nC:\\A\r\n");
    EXPECT_EQ(settings.fileSetModified, 1);
    Click(IDC_ADD_FILE); // cancelled
    EXPECT_EQ(view->list, "C:\\NEW\r\nC:\\A\r\n");

    const std::string full(maxDirListLength - 4, 'x');
    Type(IDC_DIR_LIST, full);
    view->pickedFile = "C:\\f.c";
    Click(IDC_ADD_FILE);
    EXPECT_EQ(view->list, full);
    EXPECT_NE(view->asked.back().text.find("C:\\f.c"), std::string::npos);
}

TEST_P(SearchDialog, ALongListKeepsItsFirstWholeEntriesAndSaysSoOnce) {
    // 200 entries of 99 characters: 163 fit, with their ';', in 16384.
    std::string list;
    for (int i = 0; i < 200; ++i) {
        std::string entry = "C:\\" + std::to_string(1000 + i);
        list += entry + std::string(99 - entry.size(), 'x') + "\r\n";
    }
    Type(IDC_TEXT, "x");
    SaveSet("Long", list);
    Click(IDC_OK);
    const std::string stored = file->Store().ReadString("DirSetLastOne", "DirList", "", 20000);
    EXPECT_EQ(stored.size(), 163u * 100);
    EXPECT_EQ(stored.substr(stored.size() - 100, 8), "C:\\1162x");
    EXPECT_EQ(file->Store().ReadString("DirSetLong", "DirList", "", 20000), stored);
    EXPECT_EQ(settings.dirList, stored);
    ASSERT_EQ(view->asked.size(), 2u); // the save question, then one notice
    EXPECT_NE(view->asked[1].text.find(" 37 entries "), std::string::npos) << view->asked[1].text;
}

TEST_P(SearchDialog, AFailedWriteIsToldOnceByABoxOfTheOpenDialog) {
    ResetWriteFailureReport();
    file->FailWrites();
    Type(IDC_TEXT, "x");
    Click(IDC_OK);
    ASSERT_EQ(view->asked.size(), 1u);
    EXPECT_NE(view->asked[0].text.find(file->Store().Location()), std::string::npos);
    EXPECT_EQ(view->asked[0].caption, "Trovik");
    EXPECT_EQ(view->asked[0].dialogResult, -1);
    EXPECT_EQ(view->result, 1);
    Open();
    Click(IDC_OK);
    EXPECT_TRUE(view->asked.empty());
    ResetWriteFailureReport();
}

// ---- Values the settings file would change

TEST_P(SearchDialog, QuotedTextsAndNamesComeBackAsTheyWere) {
    for (const char* value : {"\"include\"", "\"\"", "''", "'q'"}) {
        Reopen("");
        SaveSet("A", "C:\\A\r\n");
        Type(IDC_TEXT, "older");
        Click(IDC_OK);
        Open();
        Type(IDC_TEXT, value);
        Type(IDC_FILE_TYPES, value);
        SaveSet(value, "C:\\Q\r\n");
        Click(IDC_OK);
        Open();
        EXPECT_EQ(view->text.entries, (std::vector<std::string>{value, "older"})) << value;
        EXPECT_EQ(view->fileTypes.entries.front(), value);
        EXPECT_EQ(view->setName.entries, (std::vector<std::string>{value, "A"})) << value;
        EXPECT_EQ(view->setName.text, value);
        EXPECT_EQ(view->list, "C:\\Q\r\n") << value;
        Type(IDC_SET_NAME, "B"); // the next Save keeps every name
        Click(IDC_SAVE_SET, {answerYes});
        EXPECT_EQ(Read("SetList", "Set2"), "B") << value;
    }
}

TEST_P(SearchDialog, LineEndsInFieldsForgeNoSection) {
    settings.hostText = "x\r\n[DirSetLastOne]\r\nDirList=C:\\";
    Open();
    Type(IDC_FILE_TYPES, "*.c\n[Forged]\nk=1");
    Type(IDC_SET_NAME, "s\r\n[Forged]");
    Type(IDC_DIR_LIST, "C:\\A\r\n[Forged]\r\n");
    Click(IDC_OK);
    EXPECT_NE(view->asked.back().text.find("line end"), std::string::npos);
    Type(IDC_SET_NAME, "");
    Click(IDC_OK);
    const std::string text = file->Text();
    EXPECT_EQ(text.find("\n[Forged]"), std::string::npos) << text;
    EXPECT_EQ(text.find("[DirSetLastOne]"), text.rfind("[DirSetLastOne]")) << text;
    EXPECT_EQ(Read("Searched", "String0"), "x");
    EXPECT_EQ(Read("FileTypeHist", "FileType0"), "*.c");
}

// ---- Modes, quick reference and help

TEST_P(SearchDialog, StatisticsDisablesExactlyTheTextControls) {
    const int textControls[] = {IDC_TEXT,  IDC_CASE_SENSITIVE, IDC_WHOLE_WORDS,
                                IDC_REGEX, IDC_ONLY_FILE,      IDC_QUICK_REFERENCE};
    Click(IDC_STATISTICS);
    for (int id : textControls)
        EXPECT_EQ(view->enabled[id], 0) << id;
    for (int id : std::initializer_list<int>{IDC_KEEP_MESS, IDC_DIR_LIST, IDC_OK})
        EXPECT_EQ(view->enabled[id], FakeDialogView::unset) << id;
    Click(IDC_FIND_TEXT);
    for (int id : textControls)
        EXPECT_EQ(view->enabled[id], 1) << id;
}

TEST_P(SearchDialog, QuickReferenceAndMissingHelp) {
    Click(IDC_QUICK_REFERENCE);
    ASSERT_EQ(view->asked.size(), 1u);
    const std::string text = view->asked[0].text;
    EXPECT_EQ(view->asked[0].caption, "Regular Expressions: Quick Reference");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 13);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.substr(0, 31), "^\tMatches the start of a line.\n");

    // Without the help file (or its viewer) the help page opens; without
    // both, the dialog says which is missing.
    view->helpExists = 0;
    Click(IDC_HELP);
    EXPECT_EQ(view->helpShown, "C:\\Tools\\TROVIK.HLP");
    EXPECT_EQ(view->helpPageShown, "C:\\Tools\\TROVIK.HTM");
    EXPECT_EQ(view->asked.size(), 1u);
    view->helpPageExists = 0;
    Click(IDC_HELP);
    EXPECT_NE(view->asked.back().text.find("C:\\Tools\\TROVIK.HTM"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Stores, SearchDialog, ::testing::ValuesIn(StoreKinds()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });

} // namespace

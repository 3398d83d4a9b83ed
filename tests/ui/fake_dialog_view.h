// Test support: the search dialog's controls in memory, operated the way the
// platform reports a person's actions to the dialog (a typed text, then its
// change notification; a chosen entry, then the selection notification).
// Every state starts from a value that no control holds (`unset`, "<unset>"),
// so that a check of what Open shows fails when Open never set it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/ui/memory_combo.h"
#include "ui/search_dialog_logic.h"

// The platform's ids of OK, Cancel and Help.

struct AskedBox {
    std::string text;
    std::string caption;
    unsigned style;
    int dialogResult; // -1: the dialog was still open when the box was shown
};

class FakeDialogView : public SearchDialogView {
public:
    enum { unset = -7 };

    FakeDialogView() {
        for (MemoryCombo* combo : {&text, &setName, &fileTypes})
            combo->text = "<unset>";
        for (int id :
             std::initializer_list<int>{IDC_TEXT,       IDC_SET_NAME,        IDC_DIR_LIST,
                                        IDC_FILE_TYPES, IDC_CASE_SENSITIVE,  IDC_WHOLE_WORDS,
                                        IDC_SUB_DIRS,   IDC_REGEX,           IDC_ONLY_FILE,
                                        IDC_KEEP_MESS,  IDC_FIND_TEXT,       IDC_STATISTICS,
                                        IDC_ADD_FILE,   IDC_QUICK_REFERENCE, IDC_SAVE_SET,
                                        IDC_REMOVE_SET, IDC_ADD_DIRECTORY,   IDC_CLEAR,
                                        IDC_OK,         IDC_CANCEL,          IDC_HELP}) {
            checked[id] = enabled[id] = limits[id] = unset;
            captions[id] = "<unset>";
        }
    }

    ComboField& Combo(int id) override {
        return id == IDC_TEXT ? text : id == IDC_SET_NAME ? setName : fileTypes;
    }
    int Selection(int) override { return selection; }
    String ListText() override { return list; }
    void SetListText(const String& value) override { list = value; }
    int IsChecked(int id) override { return checked[id]; }
    void SetChecked(int id, int value) override { checked[id] = value; }
    void Enable(int id, int value) override { enabled[id] = value; }
    void SetCaption(int id, const char* caption) override { captions[id] = caption; }
    void LimitText(int id, int limit) override { limits[id] = limit; }
    void Focus(int id) override { focus = id; }
    void SelectText(int id) override { focus = selected = id; }
    int Ask(const char* boxText, const char* caption, unsigned style) override {
        asked.push_back({boxText, caption, style, result});
        if (answers.empty()) return answerCancel;
        int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    int PickDirectory(String& path) override { return Pick(pickedDirectory, path); }
    int PickFile(String& path) override { return Pick(pickedFile, path); }
    int ShowHelp(const String& path) override {
        helpShown = path;
        return helpExists;
    }
    int ShowHelpPage(const String& path) override {
        helpPageShown = path;
        return helpPageExists;
    }
    void Close(int value) override { result = value; }

    MemoryCombo text, setName{true}, fileTypes;
    std::string list = "<unset>";
    int selection = -1;
    std::map<int, int> checked, enabled, limits;
    std::map<int, std::string> captions;
    int focus = unset;
    int selected = unset;     // the field whose whole text was selected last
    std::vector<int> answers; // the next answers, in order; then Cancel
    std::vector<AskedBox> asked;
    std::string pickedDirectory, pickedFile; // empty: the picker is cancelled
    std::string helpShown, helpPageShown;
    int helpExists = 1, helpPageExists = 1;
    int result = -1; // the dialog's result once closed

private:
    static int Pick(const std::string& picked, String& path) {
        if (picked.empty()) return 0;
        path = picked;
        return 1;
    }
};

#include "ui/search_dialog_logic.h"

#include <string>

#include "resources/resource.h"
#include "ui/file_set_rules.h"
#include "ui/settings_file.h"

const char quickReferenceTitle[] = "Regular Expressions: Quick Reference";
const char quickReferenceText[] = "^\tMatches the start of a line.\n"
                                  "$\tMatches the end of a line.\n"
                                  ".\tAny character.\n"
                                  "*\t0 or more of occurences of the\n"
                                  "preceding expression.\n"
                                  "+\t1 or more of occurences of the\n"
                                  "\tpreceding expression.\n"
                                  "[ ]\tCharacter set, e.g. [15z], [1-3], [A-Za-z]\n"
                                  "[ ^ ]\tAny character except those following ^\n"
                                  "\\\tto specify a literal character; e.g. \\*\n"
                                  "\n"
                                  "Patterns match within a line: . and [ ^ ] never\n"
                                  "match a line end; \\n and \\r name one.\n";

namespace {

// The check boxes of the switches, in the order OK writes them (the order
// of switchKeys).
const int switchBoxes[6] = {IDC_ONLY_FILE,  IDC_REGEX,     IDC_CASE_SENSITIVE,
                            IDC_STATISTICS, IDC_KEEP_MESS, IDC_WHOLE_WORDS};

// The controls that only a text search uses.
const int textSearchControls[] = {IDC_TEXT,  IDC_CASE_SENSITIVE, IDC_WHOLE_WORDS,
                                  IDC_REGEX, IDC_ONLY_FILE,      IDC_QUICK_REFERENCE};

} // namespace

class SearchDialogLogic::Filling {
public:
    explicit Filling(SearchDialogLogic& logic) : _logic(logic) { ++_logic._filling; }
    ~Filling() { --_logic._filling; }

private:
    SearchDialogLogic& _logic;
};

// ---- Opening

void SearchDialogLogic::Open() {
    Filling filling(*this);
    _settings.textToFind = _settings.hostText;
    LoadHistory(_store, searchedTexts, _view.Combo(IDC_TEXT), &_settings.textToFind);
    _view.LimitText(IDC_TEXT, maxSearchTextLength);

    _settings.setName = _store.ReadString(settingsSection, lastSetKey, "", maxSetNameLength);
    LoadHistory(_store, setNames, _view.Combo(IDC_SET_NAME),
                _settings.setName.empty() ? nullptr : &_settings.setName);
    _view.LimitText(IDC_SET_NAME, maxSetNameLength);
    UpdateSetButtons();

    LoadHistory(_store, fileTypeHistory, _view.Combo(IDC_FILE_TYPES), nullptr);
    for (int i = 0; i < 6; ++i)
        _view.SetChecked(switchBoxes[i], _settings.*switchKeys[i].member);
    _view.SetChecked(IDC_FIND_TEXT, !_settings.Stat);

    ShowFileSet(_settings.setName.empty() ? String(lastOneSetName) : _settings.setName);
    UpdateModeControls();
    _view.Focus(IDC_TEXT);
}

void SearchDialogLogic::ShowFileSet(const String& setName) {
    Filling filling(*this);
    FileSetFields fields = LoadFileSet(_store, setName);
    _view.SetListText(fields.list);
    _view.Combo(IDC_FILE_TYPES).SetText(fields.fileTypes);
    _view.SetChecked(IDC_SUB_DIRS, fields.subDir);
}

// ---- Commands

void SearchDialogLogic::Command(int id, int notification) {
    Dispatch(id, notification);
    TellWriteFailure();
}

void SearchDialogLogic::Dispatch(int id, int notification) {
    switch (id) {
    case IDC_OK:
        OnSearchOk();
        return;
    case IDC_CANCEL:
        // The changes the flag stood for are gone with the dialog.
        _settings.fileSetModified = 0;
        _view.Close(0);
        return;
    case IDC_HELP:
        // The help file needs a viewer that current systems no longer ship;
        // the help page beside the library opens wherever there is none.
        if (!_view.ShowHelp(_settings.HelpPath) && !_view.ShowHelpPage(_settings.HelpPagePath)) {
            const String text = "The help file\n" + _settings.HelpPagePath + "\nis missing.";
            _view.Ask(text.c_str(), TROVIK_CAPTION, boxOk | boxIconInformation);
        }
        return;
    case IDC_QUICK_REFERENCE:
        _view.Ask(quickReferenceText, quickReferenceTitle, boxOk | boxIconInformation);
        return;
    case IDC_SAVE_SET:
        AskSaveFileSet();
        return;
    case IDC_REMOVE_SET:
        RemoveFileSet();
        return;
    case IDC_FIND_TEXT:
    case IDC_STATISTICS:
        UpdateModeControls();
        return;
    case IDC_ADD_DIRECTORY:
    case IDC_ADD_FILE: {
        String path;
        if (id == IDC_ADD_DIRECTORY ? _view.PickDirectory(path) : _view.PickFile(path))
            InsertListLine(path);
        return;
    }
    case IDC_CLEAR: {
        MarkModified();
        Filling filling(*this);
        _view.SetListText(String());
        _view.Combo(IDC_SET_NAME).SetText(String());
        UpdateSetButtons();
        return;
    }
    }
    // The rest are changes of the fields: the dialog's own changes do not count.
    if (_filling) return;
    switch (id) {
    case IDC_DIR_LIST:
        if (notification == notifyEditChange) MarkModified();
        return;
    case IDC_SUB_DIRS:
        MarkModified();
        return;
    case IDC_FILE_TYPES:
        if (notification == notifyComboSelChange || notification == notifyComboEditChange ||
            notification == notifyComboEditUpdate)
            MarkModified();
        return;
    case IDC_SET_NAME:
        if (notification == notifyComboEditChange) {
            UpdateSetButtons();
        } else if (notification == notifyComboSelChange) {
            const int selected = _view.Selection(IDC_SET_NAME);
            if (selected < 0) return;
            _settings.setName = _view.Combo(IDC_SET_NAME).GetEntry(selected);
            ShowFileSet(_settings.setName);
            _settings.fileSetModified = 0;
            _view.Enable(IDC_SAVE_SET, 0);
            _view.Enable(IDC_REMOVE_SET, 1);
        }
        return;
    }
}

void SearchDialogLogic::TellWriteFailure() {
    const String notice = WriteFailureNotice(_store);
    if (!notice.empty()) _view.Ask(notice.c_str(), TROVIK_CAPTION, boxOk | boxIconWarning);
}

void SearchDialogLogic::MarkModified() {
    _settings.fileSetModified = 1;
    UpdateSetButtons();
}

// ---- Buttons and modes

String SearchDialogLogic::SetNameText() {
    String name = _view.Combo(IDC_SET_NAME).GetText(maxSetNameLength);
    TrimSpaces(name, 0);
    return name;
}

int SearchDialogLogic::ClassifySetName(const String& name) {
    if (name.empty()) return setNameEmpty;
    return FindEntry(_view.Combo(IDC_SET_NAME), name, 0) >= 0 ? setNameExisting : setNameNew;
}

void SearchDialogLogic::UpdateSetButtons() {
    const SetButtonState state = SetButtonsFor(
        static_cast<SetNameKind>(ClassifySetName(SetNameText())), _settings.fileSetModified);
    _view.Enable(IDC_SAVE_SET, state.saveEnabled);
    if (state.saveCaption != nullptr) _view.SetCaption(IDC_SAVE_SET, state.saveCaption);
    _view.Enable(IDC_REMOVE_SET, state.removeEnabled);
}

void SearchDialogLogic::UpdateModeControls() {
    const int textSearch = !_view.IsChecked(IDC_STATISTICS);
    for (int id : textSearchControls)
        _view.Enable(id, textSearch);
}

// ---- File sets

int SearchDialogLogic::MaySaveAs(const String& name, int isNew) {
    String owner;
    const String section = SetSectionName(name);
    if (EqualNoCase(section, SetSectionName(lastOneSetName))) {
        owner = "of the last search";
    } else {
        ComboField& sets = _view.Combo(IDC_SET_NAME);
        for (int i = 0; i < sets.Count() && owner.empty(); ++i) {
            const String other = sets.GetEntry(i);
            if (!EqualNoCase(other, name) && EqualNoCase(SetSectionName(other), section))
                owner = "\"" + other + "\"";
        }
    }
    String text;
    if (name.find_first_of("\r\n") != String::npos) {
        // The settings file keeps one name a line.
        text = "A file set name cannot hold a line end. Choose another name.";
    } else if (!owner.empty()) {
        text = "The file set \"" + name + "\" cannot be saved: it would overwrite the file set " +
               owner +
               ".\nNames that differ only in characters other than letters and digits "
               "share their place in the settings file. Choose another name.";
    } else if (isNew && _view.Combo(IDC_SET_NAME).Count() >= maxSetCount) {
        text = "The file set \"" + name +
               "\" cannot be saved: the list of file sets is full. "
               "Remove a file set first.";
    } else {
        return 1;
    }
    _view.Ask(text.c_str(), TROVIK_CAPTION, boxOk | boxIconWarning);
    _view.SelectText(IDC_SET_NAME);
    return 0;
}

void SearchDialogLogic::SaveShownFileSet(const String& setName, SearchSettingsRecord* runForms) {
    FileSetFields fields;
    fields.list = _view.ListText();
    fields.fileTypes = _view.Combo(IDC_FILE_TYPES).GetText(maxFileTypesLength);
    fields.subDir = _view.IsChecked(IDC_SUB_DIRS);
    const int leftOut = SaveFileSet(_store, setName, fields, runForms);
    // OK after Save stores the same list twice: it is told once.
    if (leftOut == 0 || fields.list.compare(_toldTooLongList) == 0) return;
    _toldTooLongList = fields.list;
    const String text = "The list of directories and files is longer than the " +
                        std::to_string(maxDirListLength) + " characters that are kept: its last " +
                        std::to_string(leftOut) + (leftOut == 1 ? " entry was" : " entries were") +
                        " left out.";
    _view.Ask(text.c_str(), TROVIK_CAPTION, boxOk | boxIconWarning);
}

int SearchDialogLogic::AskSaveFileSet() {
    const String name = SetNameText();
    const int kind = ClassifySetName(name);
    _settings.setName = name;
    if (kind == setNameEmpty || (kind == setNameExisting && !_settings.fileSetModified)) return 1;
    const int isNew = kind == setNameNew;
    if (!MaySaveAs(name, isNew)) {
        _settings.setName = String();
        return 0;
    }
    if (_view.Ask(isNew ? "Save file set?" : "Update file set?", TROVIK_CAPTION,
                  boxYesNo | boxIconQuestion) != answerYes) {
        _settings.setName = String();
        return 1;
    }
    SaveShownFileSet(name, nullptr);
    {
        Filling filling(*this);
        AddSetName(_view.Combo(IDC_SET_NAME));
        PromoteEntry(_view.Combo(IDC_FILE_TYPES), 0);
    }
    SaveHistory(_store, setNames, _view.Combo(IDC_SET_NAME));
    _settings.fileSetModified = 0;
    UpdateSetButtons();
    return 1;
}

void SearchDialogLogic::RemoveFileSet() {
    if (ClassifySetName(SetNameText()) != setNameExisting) return;
    if (_view.Ask("Remove file set?", TROVIK_CAPTION,
                  boxOkCancel | boxIconQuestion | boxDefaultSecond) != answerOk)
        return;
    const String name = SetNameText();
    if (name.empty()) return;
    ComboField& sets = _view.Combo(IDC_SET_NAME);
    RemoveEntry(sets, name, 0);
    SaveHistory(_store, setNames, sets);
    {
        Filling filling(*this);
        _view.SetListText(String());
        _view.Combo(IDC_FILE_TYPES).SetText(String());
        sets.SetText(String());
    }
    // The section stays, emptied. The run forms stay too: Cancel after
    // Remove must leave the last confirmed search's set to walk.
    SaveShownFileSet(name, nullptr);
    UpdateSetButtons();
}

void SearchDialogLogic::InsertListLine(const String& path) {
    String list;
    if (!PrependListLine(path, _view.ListText(), maxDirListLength, list)) {
        const String text = "The list of directories and files is full:\n" + path +
                            "\nwas not added. Remove some lines first.";
        _view.Ask(text.c_str(), TROVIK_CAPTION, boxOk | boxIconWarning);
        return;
    }
    {
        Filling filling(*this);
        _view.SetListText(list);
    }
    MarkModified();
}

// ---- OK

void SearchDialogLogic::OnSearchOk() {
    if (!AskSaveFileSet()) return;
    _settings.textToFind = _view.Combo(IDC_TEXT).GetText(maxSearchTextLength);
    {
        Filling filling(*this);
        PromoteEntry(_view.Combo(IDC_TEXT), 1);
        SaveHistory(_store, searchedTexts, _view.Combo(IDC_TEXT));
        PromoteEntry(_view.Combo(IDC_FILE_TYPES), 0);
        SaveHistory(_store, fileTypeHistory, _view.Combo(IDC_FILE_TYPES));
    }
    WriteSetting(_store, settingsSection, lastSetKey, _settings.setName.c_str());
    for (int i = 0; i < 6; ++i) {
        const int checked = _view.IsChecked(switchBoxes[i]) ? 1 : 0;
        _settings.*switchKeys[i].member = checked;
        WriteSetting(_store, settingsSection, switchKeys[i].key, checked);
    }
    SaveShownFileSet(lastOneSetName, &_settings);
    TellWriteFailure(); // while the dialog is still there to own the box
    _view.Close(_settings.textToFind.empty() ? 0 : 1);
}

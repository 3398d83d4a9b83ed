// What the search dialog does, without a window: the dialog procedure
// (search_dialog_win32.cpp) only hands the initialisation and every command
// to SearchDialogLogic, which works on the controls through SearchDialogView.
// The logic reads and writes SearchSettings and the settings file; the view
// is the dialog's controls (or a test's stand-in).
#pragma once

#include "base/string.h"
#include "fs/message_box.h"
#include "ui/combo_field.h"
#include "ui/profile_store.h"
#include "ui/search_settings.h"

// The platform's notification codes of the commands the dialog acts on.
enum DialogNotification {
    notifyClicked = 0,         // BN_CLICKED
    notifyComboSelChange = 1,  // CBN_SELCHANGE
    notifyComboEditChange = 5, // CBN_EDITCHANGE
    notifyComboEditUpdate = 6, // CBN_EDITUPDATE
    notifyEditChange = 0x0300, // EN_CHANGE
};

// The dialog's controls, by their resource ids (resources/resource.h).
class SearchDialogView {
public:
    virtual ~SearchDialogView() {}

    // The combo fields IDC_TEXT, IDC_SET_NAME and IDC_FILE_TYPES.
    virtual ComboField& Combo(int id) = 0;
    // The entry the user chose in a combo field's list, or -1.
    virtual int Selection(int id) = 0;
    virtual String ListText() = 0; // the whole text of IDC_DIR_LIST
    virtual void SetListText(const String& text) = 0;
    virtual int IsChecked(int id) = 0;
    virtual void SetChecked(int id, int checked) = 0;
    virtual void Enable(int id, int enabled) = 0;
    virtual void SetCaption(int id, const char* caption) = 0;
    virtual void LimitText(int id, int limit) = 0;
    virtual void Focus(int id) = 0;
    // Puts the focus on field `id` with its whole text selected.
    virtual void SelectText(int id) = 0;
    // A message box owned by the dialog, which stays disabled while the box
    // is open; returns the answer. Every box of the dialog goes through here.
    virtual int Ask(const char* text, const char* caption, unsigned style) = 0;
    virtual int PickDirectory(String& path) = 0;
    virtual int PickFile(String& path) = 0;
    // Opens the help file at its contents; 0 when the file or the viewer
    // it needs is missing.
    virtual int ShowHelp(const String& helpPath) = 0;
    // Opens the help page with the system's viewer of such pages; 0 when the
    // page is missing or cannot be opened.
    virtual int ShowHelpPage(const String& pagePath) = 0;
    virtual void Close(int result) = 0;
};

extern const char quickReferenceTitle[];
extern const char quickReferenceText[];

class SearchDialogLogic {
public:
    SearchDialogLogic(SearchDialogView& view, SearchSettingsRecord& settings, ProfileStore& store)
        : _view(view), _settings(settings), _store(store) {}

    // Fills the controls from SearchSettings and the settings file and puts
    // the focus on the text field. The run forms are left alone: only OK
    // changes what a search without the dialog walks.
    void Open();
    // The command of control `id` with its notification code; then tells a
    // settings write that failed meanwhile.
    void Command(int id, int notification);

    // The parts of the commands that other commands share.
    void UpdateSetButtons();
    void UpdateModeControls();
    // The Save/Update button and the first step of OK: asks whether to save
    // a new or changed set and saves it on Yes. Leaves in setName the name
    // that OK writes as "LastSet" (empty after No). Returns 0 when the name
    // was refused, after telling why and selecting the set-name field: OK
    // then keeps the dialog open.
    int AskSaveFileSet();
    // Writes everything and closes the dialog, unless the set name is refused.
    void OnSearchOk();
    void RemoveFileSet();
    // Puts `path` as the first line of the list field.
    void InsertListLine(const String& path);

private:
    // Changes the dialog itself makes to its fields: the notifications they
    // cause are not the user's changes.
    class Filling;

    void Dispatch(int id, int notification);
    String SetNameText();
    int ClassifySetName(const String& name); // a SetNameKind
    // 0 after telling the user why `name` cannot be saved.
    int MaySaveAs(const String& name, int isNew);
    void ShowFileSet(const String& setName);
    // Saves the fields as they stand into the set's section (and into the
    // run forms when `runForms`); tells entries of the list left out.
    void SaveShownFileSet(const String& setName, SearchSettingsRecord* runForms);
    void TellWriteFailure();
    void MarkModified();

    SearchDialogView& _view;
    SearchSettingsRecord& _settings;
    ProfileStore& _store;
    int _filling = 0;        // nesting of Filling scopes
    String _toldTooLongList; // the list text whose left-out entries were told
};

// DialogCombo: a combo box of a dialog as a ComboField. Windows only.
#pragma once

#include <windows.h>

#include "ui/combo_field.h"

class DialogCombo : public ComboField {
public:
    DialogCombo(HWND dialog, int id) : _combo(GetDlgItem(dialog, id)) {}

    String GetText(size_t maxLength) const override;
    void SetText(const String& text) override;
    int Count() const override;
    String GetEntry(int index) const override;
    void AddEntry(const String& text) override;
    void InsertEntry(int index, const String& text) override;
    void DeleteEntry(int index) override;

    int Selection() const; // the chosen entry, or -1

private:
    HWND _combo;
};

// The whole text of a window, however long.
String WindowText(HWND window);

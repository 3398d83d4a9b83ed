// ComboField: an edit text with a drop-down list of entries, as the search
// dialog's combo boxes hold the histories and the set list. The settings
// operations work on this face so that they run without a window; the dialog
// wraps its combo boxes in DialogCombo (combo_field_win32.cpp).
#pragma once

#include <cstddef>

#include "base/string.h"

class ComboField {
public:
    virtual ~ComboField() {}

    // The edit text, cut to `maxLength` characters.
    virtual String GetText(size_t maxLength) const = 0;
    virtual void SetText(const String& text) = 0;

    virtual int Count() const = 0;
    // The entry at `index`; the empty text outside 0 to Count() - 1.
    virtual String GetEntry(int index) const = 0;
    // Appends `text`, or puts it at its alphabetical place (without regard
    // to case) when the list sorts itself.
    virtual void AddEntry(const String& text) = 0;
    // Puts `text` at `index` whether or not the list sorts itself.
    virtual void InsertEntry(int index, const String& text) = 0;
    // Removes the entry at `index`; nothing outside the list.
    virtual void DeleteEntry(int index) = 0;
};

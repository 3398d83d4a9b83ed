#include "ui/combo_field_win32.h"

#include <vector>

String WindowText(HWND window) {
    std::vector<char> text(GetWindowTextLengthA(window) + 1);
    GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return String(text.data());
}

String DialogCombo::GetText(size_t maxLength) const {
    String text = WindowText(_combo);
    if (text.size() > maxLength) text.resize(maxLength);
    return text;
}

void DialogCombo::SetText(const String& text) {
    SetWindowTextA(_combo, text.c_str());
}

int DialogCombo::Count() const {
    return static_cast<int>(SendMessageA(_combo, CB_GETCOUNT, 0, 0));
}

String DialogCombo::GetEntry(int index) const {
    LRESULT length = SendMessageA(_combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return String();
    std::vector<char> text(length + 1);
    SendMessageA(_combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return String(text.data());
}

void DialogCombo::AddEntry(const String& text) {
    SendMessageA(_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogCombo::InsertEntry(int index, const String& text) {
    SendMessageA(_combo, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogCombo::DeleteEntry(int index) {
    SendMessageA(_combo, CB_DELETESTRING, index, 0);
}

int DialogCombo::Selection() const {
    LRESULT selected = SendMessageA(_combo, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

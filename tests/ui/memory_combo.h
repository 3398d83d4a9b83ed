// Test support: a combo field in memory, with the sorting of a sorted combo
// box (alphabetical without regard to ASCII case, the newest of equal names
// after the older ones).
#pragma once

#include <string>
#include <vector>

#include "ui/combo_field.h"
#include "ui/file_set_rules.h"

class MemoryCombo : public ComboField {
public:
    explicit MemoryCombo(bool sorted = false) : _sorted(sorted) {}

    String GetText(size_t maxLength) const override { return String(text.substr(0, maxLength)); }
    void SetText(const String& value) override { text = value; }
    int Count() const override { return static_cast<int>(entries.size()); }
    String GetEntry(int index) const override {
        return index >= 0 && index < Count() ? String(entries[index]) : String();
    }
    void AddEntry(const String& value) override {
        size_t at = entries.size();
        if (_sorted) {
            at = 0;
            while (at < entries.size() && CompareText(entries[at].c_str(), value.c_str(), 0) <= 0)
                ++at;
        }
        entries.insert(entries.begin() + at, value);
    }
    void InsertEntry(int index, const String& value) override {
        if (index < 0 || index > Count()) index = Count();
        entries.insert(entries.begin() + index, value);
    }
    void DeleteEntry(int index) override {
        if (index >= 0 && index < Count()) entries.erase(entries.begin() + index);
    }

    std::string text;                 // the edit text
    std::vector<std::string> entries; // the drop-down list

private:
    bool _sorted;
};

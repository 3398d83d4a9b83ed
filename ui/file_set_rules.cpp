#include "ui/file_set_rules.h"

#include "base/text_utils.h"

const char saveCaption[] = "S&ave";
const char updateCaption[] = "Upd&ate";
const char lastOneSetName[] = "LastOne";

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The entry between `begin` and `end` without spaces and tabs at its ends.
String TrimmedEntry(const String& text, size_t begin, size_t end) {
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return String(text.substr(begin, end - begin));
}

} // namespace

String StoredDirList(const String& displayText, size_t maxLength, int* leftOut) {
    String stored;
    bool lineEndAfterLast = false; // a line end followed the last entry stored
    int dropped = 0;
    size_t start = 0;
    for (size_t i = 0; i <= displayText.size(); ++i) {
        const bool atEnd = i == displayText.size();
        const char c = atEnd ? '\0' : displayText[i];
        if (!atEnd && c != ';' && !IsLineEnd(c)) continue;
        String entry = TrimmedEntry(displayText, start, i);
        if (!entry.empty()) {
            // Once one entry is left out, so is every later one: what is
            // kept is always the list's beginning, never a cut path.
            const size_t needed = stored.size() + (stored.empty() ? 0 : 1) + entry.size();
            if (dropped > 0 || needed > maxLength) {
                ++dropped;
            } else {
                if (!stored.empty()) stored += ';';
                stored += entry;
                lineEndAfterLast = false;
            }
        }
        if (IsLineEnd(c) && !stored.empty() && dropped == 0) lineEndAfterLast = true;
        start = i + 1;
    }
    if (lineEndAfterLast && stored.size() < maxLength) stored += ';';
    if (leftOut != nullptr) *leftOut = dropped;
    return stored;
}

String DisplayDirList(const String& stored, size_t maxLength) {
    String display;
    size_t start = 0;
    while (start <= stored.size()) {
        size_t end = stored.find(';', start);
        const bool last = end == String::npos;
        if (last) end = stored.size();
        // An entry and, when a ';' ended it, its CR LF: the entry goes whole
        // or not at all, with everything after it.
        const size_t added = end - start + (last ? 0 : 2);
        if (display.size() + added > maxLength) break;
        display.append(stored, start, end - start);
        if (last) break;
        display += "\r\n";
        start = end + 1;
    }
    return display;
}

int PrependListLine(const String& path, const String& listText, size_t maxLength, String& result) {
    if (path.size() + 2 + listText.size() > maxLength) return 0;
    result = path + "\r\n" + listText;
    return 1;
}

String StoredFileTypes(const String& fieldText) {
    String stored;
    for (size_t i = 0; i < fieldText.size(); ++i) {
        const char c = fieldText[i];
        if (c == ',') {
            stored += ';';
        } else if (c == ';') {
            if (i + 1 < fieldText.size() && fieldText[i + 1] != ';') stored += ';';
        } else if (c != ' ') {
            stored += c;
        }
    }
    return stored;
}

String SetSectionName(const String& setName) {
    String section("DirSet");
    for (char c : setName)
        section += IsAsciiLetterOrDigit(c) ? c : '_';
    return section;
}

void TrimSpaces(String& text, int all) {
    if (all) {
        RemoveChar(text, ' ');
        return;
    }
    text.Strip(' ');
}

int EqualNoCase(const String& left, const String& right) {
    if (left.size() != right.size()) return 0;
    for (size_t i = 0; i < left.size(); ++i)
        if (UpperAscii(left[i]) != UpperAscii(right[i])) return 0;
    return 1;
}

SetButtonState SetButtonsFor(SetNameKind kind, int fileSetModified) {
    switch (kind) {
    case setNameEmpty:
        return {0, nullptr, 0};
    case setNameNew:
        return {1, saveCaption, 0};
    case setNameExisting:
    default:
        return fileSetModified ? SetButtonState{1, updateCaption, 1}
                               : SetButtonState{0, nullptr, 1};
    }
}

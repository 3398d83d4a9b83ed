#include "host/file_set_entries.h"

#include "fs/walk_path.h"

namespace {

inline bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

int SplitFileTypes(const String& fileTypes, StringList& masks) {
    String types = fileTypes;
    RemoveChar(types, ' ');
    masks.DeleteAll();
    int count = 0;
    if (types.empty()) return 0;
    size_t start = 0;
    for (;;) {
        size_t end = types.find_first_of(";,", start);
        String piece(
            types.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (masks._count == 0 || !piece.empty()) ++count;
        masks.AddTail(new StringItem<ListElement>(piece));
        if (end == std::string::npos) return count;
        start = end + 1;
    }
}

void FileSetEntries::ReadEntry(String& entry) {
    const String& list = _query.dirList;
    entry.clear();
    while (_position < list.size()) {
        char c = list[_position];
        if (c == ';') {
            ++_position;
            return;
        }
        if (IsLineEnd(c)) {
            while (_position < list.size() && IsLineEnd(list[_position]))
                ++_position;
            return;
        }
        entry += c;
        ++_position;
    }
}

void FileSetEntries::Reset() {
    _position = 0;
    _started = false;
    _ended = false;
}

int FileSetEntries::NextFileSetEntry(String& entry, int& recursive) {
    if (!_started) {
        _started = true;
        _position = 0;
        if (SplitFileTypes(_query.fileTypes, _masks) == 0) _ended = true;
        for (StringItem<ListElement>* mask = _masks.GetHead(); mask != nullptr;
             mask = StringList::GetNext(mask))
            static_cast<String&>(*mask) = WalkPathOf(*mask, _query.hostUtf8);
    }
    if (_ended) return 0;
    ReadEntry(entry);
    if (entry.size() < 2) {
        _ended = true;
        return 0;
    }
    recursive = _query.subdirectories;
    return 1;
}

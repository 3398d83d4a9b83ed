#include "host/file_set_entries.h"

namespace {

inline bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

void FileSetEntries::ReadEntry(String& entry) {
    const String& list = _settings.dirList;
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
        SplitFileTypes(_settings);
        if (_settings.maskCount == 0) _ended = true;
    }
    if (_ended) return 0;
    // An over-long entry is passed over whole: a part of it would be a name
    // the user never gave (its tail a relative path, resolved against the
    // current directory).
    do {
        ReadEntry(entry);
    } while (entry.size() > maxFileSetEntryLength);
    if (entry.size() < 2) {
        _ended = true;
        return 0;
    }
    recursive = _settings.SubDir;
    return 1;
}

#include "base/text_utils.h"

#include <cstring>

namespace {

// With separators the text ends at its zero. Without, it is a run of
// zero-terminated pieces ended by an empty one: its length runs up to the zero
// that a second zero follows.
size_t SplitLength(const char* text, int zeroSeparated) {
    if (!zeroSeparated) return strlen(text);
    size_t length = strlen(text);
    while (text[length + 1] != 0)
        length += 1 + strlen(text + length + 1);
    return length;
}

} // namespace

int Split(StringList& target, const char* text, const char* separators, int trim) {
    target.DeleteAll();
    // An empty text is also the first test of the zero-separated form, which
    // must not look past a lone terminator.
    if (!text || !*text) return 0;

    const int zeroSeparated = !separators || !*separators;
    const size_t length = SplitLength(text, zeroSeparated);
    int added = 0;
    for (size_t position = 0; position < length; ++position) {
        size_t end;
        if (zeroSeparated) {
            end = position + strlen(text + position);
        } else {
            position += strspn(text + position, separators);
            end = position + strcspn(text + position, separators);
        }
        String piece(text, position, end - position);
        if (trim) TrimBlanks(piece);
        if (!piece.empty()) {
            target.AddTail(new StringItem<ListElement>(piece));
            ++added;
        }
        position = end; // the loop steps over the separator
    }
    return added;
}

#include "fs/mask_match.h"

namespace {

// Only the ASCII capitals fold: the system's character classes know no others.
char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Moves `text` to its next dot, or to its end when it has none.
const char* SkipToDot(const char* text) {
    while (*text != '\0' && *text != '.')
        ++text;
    return text;
}

} // namespace

int MatchMask(const char* mask, const char* name) {
    for (;;) {
        if (*mask == '\0') return *name == '\0';
        if (*mask == '*') {
            mask = SkipToDot(mask);
            name = SkipToDot(name);
        } else if (*mask == '?') {
            if (*name == '\0') return 0;
            ++mask;
            ++name;
        } else {
            if (FoldCase(*mask) != FoldCase(*name)) return 0;
            ++mask;
            ++name;
        }
    }
}

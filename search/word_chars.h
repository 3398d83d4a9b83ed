// The character classes of the search: the word characters of the whole-word
// test and the case folding of the plain search. They follow the host's
// ANSI code page: on a single-byte code page its letters are letters (é is a
// word character, and É folds onto it), as the platform's own character
// functions say; on a double-byte code page, whose lead and trail bytes are
// no characters of their own, only the ASCII letters, digits and underscore
// are word characters and only A-Z and a-z fold. Natively the tables are
// those of Windows-1252. Both tables are built once, at their first use.
#pragma once

#include <cstdint>

struct CharClasses {
    unsigned char upper[256]; // the byte's upper case, or the byte itself
    unsigned char word[256];  // 1 for a word character (letters, digits, _)
    // Derived from `upper` when the tables are built: the other byte with
    // the same upper case (the byte itself when there is none), and 1 where
    // more than two bytes share the upper case.
    unsigned char otherCase[256];
    unsigned char manyCases[256];
};

// The tables of the host's code page. Thread-safe.
const CharClasses& HostCharClasses();

// The platform's part (code_page_win32.cpp, code_page_native.cpp): fills both
// tables for the code page.
void FillCharClasses(CharClasses& classes);

// The ASCII rules, for a double-byte code page.
void FillAsciiCharClasses(CharClasses& classes);

// Windows-1252's tables, as its platform gives them: the native stand-in.
void FillWindows1252CharClasses(CharClasses& classes);

// 1 for a word character, 0 for every other byte value; indexed by the byte.
inline const unsigned char* WordChars() {
    return HostCharClasses().word;
}

inline unsigned char FoldToUpper(unsigned char c) {
    return HostCharClasses().upper[c];
}

// Whether the match of `length` bytes at `offset` stands between word
// boundaries: no word character right before or right after it. The start and
// the end of the data count as boundaries; a match that does not lie wholly
// inside the data is refused. What the match itself contains does not matter.
inline int IsBoundedByNonWords(const unsigned char* data, uint32_t size, uint32_t offset,
                               uint32_t length) {
    if (offset > size || length > size - offset) return 0;
    const unsigned char* word = WordChars();
    if (offset > 0 && word[data[offset - 1]]) return 0;
    uint32_t end = offset + length;
    if (end < size && word[data[end]]) return 0;
    return 1;
}

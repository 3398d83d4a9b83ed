// The character classes of the search: the word characters of the whole-word
// test and the case folding of the plain search. Both know the ASCII letters,
// digits and underscore only; every byte from 0x80 up is neither a word
// character nor a letter, whatever the code page makes of it.
#pragma once

#include <cstdint>

// 1 for A-Z, a-z, 0-9 and _, 0 for every other byte value; indexed by the
// byte. A constant table, so it is ready before any code of the library runs.
extern const unsigned char* const wordChars;

inline int IsAsciiLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline unsigned char FoldToUpper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Whether the match of `length` bytes at `offset` stands between word
// boundaries: no word character right before or right after it. The start and
// the end of the data count as boundaries; a match that does not lie wholly
// inside the data is refused. What the match itself contains does not matter.
inline int IsBoundedByNonWords(const unsigned char* data, uint32_t size, uint32_t offset,
                               uint32_t length) {
    if (offset > size || length > size - offset) return 0;
    if (offset > 0 && wordChars[data[offset - 1]]) return 0;
    uint32_t end = offset + length;
    if (end < size && wordChars[data[end]]) return 0;
    return 1;
}

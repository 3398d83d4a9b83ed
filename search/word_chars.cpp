#include "search/word_chars.h"

#include <initializer_list>

namespace {

struct FilledClasses {
    CharClasses classes;
    FilledClasses() {
        FillCharClasses(classes);
        for (int c = 0; c < 256; ++c) {
            int others = 0;
            classes.otherCase[c] = static_cast<unsigned char>(c);
            for (int b = 0; b < 256; ++b) {
                if (b == c || classes.upper[b] != classes.upper[c]) continue;
                classes.otherCase[c] = static_cast<unsigned char>(b);
                ++others;
            }
            classes.manyCases[c] = others > 1;
        }
    }
};

} // namespace

const CharClasses& HostCharClasses() {
    static const FilledClasses filled;
    return filled.classes;
}

void FillAsciiCharClasses(CharClasses& classes) {
    for (int c = 0; c < 256; ++c) {
        const bool lower = c >= 'a' && c <= 'z';
        const bool letter = lower || (c >= 'A' && c <= 'Z');
        classes.upper[c] = static_cast<unsigned char>(lower ? c - 'a' + 'A' : c);
        classes.word[c] = letter || (c >= '0' && c <= '9') || c == '_';
    }
}

void FillWindows1252CharClasses(CharClasses& classes) {
    FillAsciiCharClasses(classes);
    // Š Œ Ž and their lower cases, Ÿ and ÿ, ƒ ˆ ª µ º, the superscript
    // digits ¹ ² ³, and the Latin-1 letters but × and ÷; ß, ƒ, ˆ, µ, ª and º
    // have no upper case in the code page.
    const unsigned char pairs[][2] = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (const auto& pair : pairs) {
        classes.upper[pair[1]] = pair[0];
        classes.word[pair[0]] = classes.word[pair[1]] = 1;
    }
    for (unsigned char c : {0x83, 0x88, 0xAA, 0xB2, 0xB3, 0xB5, 0xB9, 0xBA})
        classes.word[c] = 1;
    for (int c = 0xC0; c <= 0xFE; ++c) {
        if (c == 0xD7 || c == 0xF7) continue;
        classes.word[c] = 1;
        if (c >= 0xE0 && c != 0xDF) classes.upper[c] = static_cast<unsigned char>(c - 0x20);
    }
}

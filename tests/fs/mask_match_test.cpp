#include "fs/mask_match.h"

#include <gtest/gtest.h>

namespace {

struct MaskCase {
    const char* mask;
    const char* name;
    int matches;
};

const MaskCase maskCases[] = {
    // `*` reaches to the next dot of the name only.
    {"*.*", "a.b", 1},
    {"*.*", "README", 0},
    {"*.*", "a.b.c", 0},
    {"*.*", ".git", 1},
    {"*.c", "MAIN.C", 1},
    {"*.c", "x.y.c", 0},
    {"*.c", "main.cpp", 0},
    {"*.c", "c", 0},
    {"*", "README", 1},
    {"*", "a.txt", 0},
    {"*", "", 1},
    {"*.", "README", 0},
    // Characters between `*` and the next dot of the mask are ignored.
    {"a*z.txt", "abc.txt", 1},
    {"a*z.txt", "a.txt", 1},
    {"a*z.txt", "b.txt", 0},
    {"*.*.*", "a.b.c", 1},
    {"*.tar.*", "x.tar.gz", 1},
    // `?` is exactly one character, never the end of the name.
    {"a?c.h", "abc.h", 1},
    {"a?c.h", "ac.h", 0},
    {"ab?", "ab", 0},
    {"???", "abc", 1},
    {"?", ".", 1},
    // Plain characters: only A-Z fold.
    {"ReadMe.TXT", "readme.txt", 1},
    {"\xC4.c", "\xE4.c", 0},
    {"abc", "abcd", 0},
    {"abcd", "abc", 0},
    // Empty texts: the empty mask fits only the empty name.
    {"", "", 1},
    {"", "a", 0},
    {"a", "", 0},
};

TEST(MatchMask, FollowsTheScannerRule) {
    for (const MaskCase& c : maskCases)
        EXPECT_EQ(c.matches, MatchMask(c.mask, c.name)) << c.mask << " against " << c.name;
}

} // namespace

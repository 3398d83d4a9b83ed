// Masks and names with the answer of the platform's own wildcard matching
// for long names; the matcher is held to them natively, and under Wine the
// platform itself is too (mask_match_win32_test.cpp). Names are UTF-8.
#pragma once

struct MaskCase {
    const char* mask;
    const char* name;
    int fits;
    int platformAgrees = 1; // 0: a row Wine's matcher is known to answer otherwise
};

const MaskCase maskCases[] = {
    // `*` takes any run, dots included; `*.*` and `*` fit every name.
    {"*.*", "a.b", 1},
    {"*.*", "README", 1},
    {"*.*", "MainWindow.xaml.cs", 1},
    {"*", "a.b.c", 1},
    {"*.cs", "MainWindow.xaml.cs", 1},
    {"*.js", "jquery.min.js", 1},
    {"*.h", "foo.pb.h", 1},
    {"*.c", "main.cpp", 0},
    {"*.c", "c", 0},
    {"*.min.js", "app.js", 0},
    {"a*z.txt", "abcz.txt", 1},
    {"a*z.txt", "abc.txt", 0},
    {"*a*a*", "banana", 1},
    {"*ab*ab", "abxab", 1},
    // A mask ending in `.` or `.*` also fits a name without a dot.
    {"*.", "Makefile", 1},
    {"*.", "a.b", 0, 0}, // Wine's listing takes it; the system's own does not
    {"*.", "x.", 1},
    {"Makefile.*", "Makefile", 1},
    {"Makefile.*", "Makefile.am", 1},
    {"a.", "a", 1},
    // `?` is exactly one character, also one outside ASCII.
    {"a?c.h", "abc.h", 1},
    {"a?c.h", "ac.h", 0},
    {"?.txt", "\xC3\xA9.txt", 1},
    {"??.txt", "\xC3\xA9.txt", 0},
    {"\xE6\x97\xA5?.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt", 1},
    // Case is ignored for the whole name, as the file system ignores it.
    {"ReadMe.TXT", "readme.txt", 1},
    {"\xC3\x89*.txt", "\xC3\xA9t\xC3\xA9.txt", 1},
    {"*.\xCE\xA3", "x.\xCF\x83", 1},
    {"\xC3\xA9*", "e.txt", 0},
    {"abc", "abcd", 0},
    {"abcd", "abc", 0},
};

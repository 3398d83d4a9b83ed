// File masks such as *.c, Makefile or a?c.h, matched against a file's long
// name the way the platform's own wildcards match long names:
//  - `*` stands for any run of characters, dots included, the empty run too;
//  - `?` stands for exactly one character (one UTF-16 unit: the name as the
//    system spells it, never one byte of an encoding);
//  - every other character must equal the name's, case ignored as the file
//    system ignores it (fs/name_case.h), for the whole name;
//  - a mask that ends in `.*` or `.` also fits a name without a dot that fits
//    the mask without that ending: `*.*` fits every name, README and
//    Makefile included; `*.` fits the names without a dot; `Makefile.*` fits
//    Makefile and Makefile.am.
// So *.cs fits MainWindow.xaml.cs and *.js fits jquery.min.js. Masks and
// names are UTF-8; neither is read past its terminating NUL.
#pragma once

#include <string>

class NameMask {
public:
    explicit NameMask(const std::string& mask);

    // True when `name` (UTF-8, without its folder) fits the mask.
    bool Fits(const char* name) const;

private:
    std::string _mask;     // as given
    std::u16string _units; // in UTF-16, every unit upcased
    size_t _dotlessLength; // units of the mask that a name without a dot must fit,
                           // or npos when the mask has no such ending
    bool _ascii;           // the mask is ASCII: an ASCII name is matched byte by byte
};

// One mask against one name: NameMask(mask).Fits(name).
int MatchMask(const char* mask, const char* name);

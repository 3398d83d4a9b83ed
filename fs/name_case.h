// How the file system compares names: case is ignored for the whole name, not
// only for ASCII, one UTF-16 unit at a time (a name's letters are compared by
// their capitals, as the platform's own upcase table does). The table is
// built once, on first use, from the platform (natively: the C library's
// Unicode case mapping).
#pragma once

#include <string>

// The capital that the file system compares `unit` by; `unit` itself when it
// has none. Thread-safe.
char16_t UpcaseNameUnit(char16_t unit);

// A name in UTF-8 as the file system compares it: in UTF-16, every unit
// upcased. A byte that does not begin a well-formed sequence stands for one
// unit of its own (U+FFFD), so that a mask's `?` still takes it.
std::u16string UpcasedName(const char* name);

// The platform's part: fills `table` (65,536 entries, one per UTF-16 unit)
// with the capital of each unit.
void FillNameUpcaseTable(char16_t* table);

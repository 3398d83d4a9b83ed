// The scanner's own wildcard rule for file masks such as *.c or a?c.h. It is
// not the platform's rule: `*` only ever reaches to the next dot of the name.
#pragma once

// 1 when `name` fits `mask`, else 0. Both texts are read from the left and
// must end together:
//  - `*` stands for the rest of the current dot-separated part of the name:
//    the mask skips to its own next `.` (ignoring what lies between) and the
//    name skips to its next `.` (or their ends);
//  - `?` stands for exactly one character; at the end of the name it fails;
//  - every other character, `.` included, must equal the name's character,
//    with only A-Z folded to a-z.
// So *.* matches a.b but neither README nor a.b.c, and * matches README but
// not a.txt. Neither text is read past its terminating NUL.
int MatchMask(const char* mask, const char* name);

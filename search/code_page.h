// The host's code page (the ANSI code page on Windows) as a table from UTF-16
// code units to its bytes, so that text read in a Unicode encoding can be
// searched as if it had been saved in the code page. The platform fills the
// table once (code_page_win32.cpp asks WideCharToMultiByte; the native stand-in,
// code_page_native.cpp, is Windows-1252), and every conversion after that is a
// table look-up.
#pragma once

#include <cstdint>

// The bytes of one UTF-16 code unit in the code page: a value below 0x100 is
// one byte; a larger one is a lead byte (high 8 bits) and a trail byte (low 8
// bits) of a double-byte code page. A unit the code page cannot spell (a
// surrogate, too) is '?': no best-fit look-alike stands in for it.
using CodePageTable = uint16_t[0x10000];

// The table, filled at the first call. Thread-safe.
const CodePageTable& HostCodePage();

// The platform's part: fills `table` for every unit but the surrogates
// (0xD800 to 0xDFFF), which the caller sets to '?'.
void FillCodePageTable(CodePageTable& table);

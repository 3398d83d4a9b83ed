// The native trovfind's -u: the text to find arrives in UTF-8 and is searched
// in the code page (search/code_page.h), as the files' text is read; the line
// texts of the records, in the code page, are printed in UTF-8. The native
// code page is a single-byte one.
#pragma once

#include <string>

// The UTF-8 text in the code page, exactly: false when it holds a character
// that the code page cannot spell (or a malformed sequence), which no
// look-alike and no '?' may stand in for.
bool SpellInCodePage(const std::string& utf8, std::string& text);

// The code page's text in UTF-8.
std::string CodePageToUtf8(const std::string& text);

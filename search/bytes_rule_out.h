// Ruling a file out from its bytes before its encoding is told: the UTF-8
// detection reads the whole of every file, and most files of a search hold no
// match. The conversion into the code page turns every ASCII byte into
// itself and everything else into a byte beyond ASCII or '?', so a plain
// text of ASCII bytes other than '?' lies in the converted text exactly where
// it lies in the bytes, ignoring case too as long as no byte beyond ASCII
// folds together with one of the text's (a Turkish code page's I and i do).
// A file whose bytes do not hold the text, whole word or not, holds no match
// in any of the encodings that keep ASCII (the code page and UTF-8); UTF-16
// and UTF-32 files are not ruled out. The same holds for the run of given
// bytes that every match of a pattern holds within its line.
#pragma once

#include "search/file_windows.h"
#include "search/search_file.h"

// True when the file in `file` can hold no match of the search: the query is
// such a plain text or a pattern with such a run, the file is shown in one
// window or read into a buffer (WindowSource::ReadIntoBuffer), it has no
// UTF-16 or UTF-32 byte-order mark, and its bytes do not hold the text. False too when the run
// asked to stop meanwhile. Raises TextFault when the bytes vanish.
bool BytesRuleOut(WindowSource& file, const FileSearch& search);

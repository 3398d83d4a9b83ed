// The search of a whole file's bytes in whichever encoding they are written
// (search/text_encoding.h): text in UTF-8 or UTF-16 is first converted into
// the code page, so that every search mode, the line pass and the statistics
// see what they would see in the same text saved in the code page.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "search/file_search.h"

// As SearchFileBytes (search/file_text_search.h), over the converted text
// when the bytes are not in the code page. The bytes are read under the
// fault guard (fs/fault_guard.h); -1 also when no memory is left for the converted text.
int SearchFileText(const String& path, const unsigned char* data, uint32_t size,
                   const FileSearch& search);

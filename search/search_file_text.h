// The search of a file's text in whichever encoding it is written
// (search/text_encoding.h): the encoding is told from the file's bytes, and
// text in UTF-8, UTF-16 or UTF-32 is converted into the code page a window
// at a time (search/decoded_windows.h), so that every search mode, the line
// pass and the statistics see what they would see in the same text saved in
// the code page, whatever the file's size.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "search/file_windows.h"
#include "search/search_file.h"

// The bytes of one window of converted text, and what a file's conversion
// holds besides its own bytes.
constexpr uint32_t decodedWindowSize = 32u << 20;

// The converted windows' buffer for a file of `fileSize` bytes: no more than
// its text can take.
uint32_t DecodedWindowFor(uint64_t fileSize, uint32_t window = decodedWindowSize);

// As SearchFileWindows (search/search_text.h) over the file's bytes in
// `file`, converted through windows of `window` bytes when they are not in
// the code page. -1 also when the conversion's buffer cannot be had: that
// costs this file alone.
int SearchFileText(const String& path, WindowSource& file, const FileSearch& search, uint32_t reach,
                   uint32_t window = decodedWindowSize);

// The same over a whole file in memory.
int SearchFileText(const String& path, const unsigned char* data, uint32_t size,
                   const FileSearch& search);

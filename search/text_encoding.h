// The encodings a file's text is read in, and their conversion into the host's
// code page (search/code_page.h). A file is:
//   - UTF-16 little- or big-endian when it starts with that byte-order mark;
//   - UTF-8 when it starts with the UTF-8 byte-order mark, or when all of its
//     bytes are valid UTF-8 and at least one sequence is longer than a byte;
//   - otherwise in the code page itself, read as it is.
// Converted text keeps every line end as it was (CR, LF), so line numbers and
// statistics come out as for the same text saved in the code page. A
// character the code page cannot spell becomes '?', one '?' per character
// (a UTF-16 surrogate pair, a 4-byte UTF-8 sequence and a malformed sequence
// each give one).
#pragma once

#include <cstddef>
#include <cstdint>

enum class TextEncoding { codePage, utf8, utf8WithMark, utf16Le, utf16Be };

// The encoding of the `size` bytes at `data` (a whole file, or the start of
// one for the byte-order marks alone).
TextEncoding DetectEncoding(const unsigned char* data, size_t size);

// The encoding that the byte-order mark at `data` names, or codePage when
// there is none: all that can be told from the first bytes of a file.
TextEncoding EncodingOfMark(const unsigned char* data, size_t size);

// Converts the `size` bytes at `data` (in `encoding`, byte-order mark
// included) into the code page at `out`, which has room for `size` bytes
// (no character takes more bytes in a code page, even a double-byte one,
// than in UTF-8 or UTF-16); returns the bytes written. Writes only `out`, so
// it may run under a fault guard.
size_t ConvertToCodePage(TextEncoding encoding, const unsigned char* data, size_t size,
                         unsigned char* out);

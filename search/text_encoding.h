// The encodings a file's text is read in, and their conversion into the host's
// code page (search/code_page.h). A file is:
//   - UTF-32 little- or big-endian when it starts with that byte-order mark
//     (FF FE 00 00, 00 00 FE FF);
//   - UTF-16 little- or big-endian when it starts with that byte-order mark;
//   - UTF-8 when it starts with the UTF-8 byte-order mark, or when all of its
//     bytes are valid UTF-8 and at least one sequence is longer than a byte;
//   - otherwise in the code page itself, read as it is.
// Converted text keeps every line end as it was (CR, LF), so line numbers and
// statistics come out as for the same text saved in the code page. A
// character the code page cannot spell becomes '?', one '?' per character:
// a UTF-16 surrogate pair, a 4-byte UTF-8 sequence and a UTF-32 unit each
// give one, and so does each maximal ill-formed subsequence of UTF-8 (the
// Unicode Standard's substitution of maximal subparts: E2 82 41 is "?A",
// C0 AF is "??").
//
// The conversion goes a piece at a time: a character cut by a piece's end
// waits for the next piece, so a file converted in windows gives the same
// text as one converted whole.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TextEncoding { codePage, utf8, utf8WithMark, utf16Le, utf16Be, utf32Le, utf32Be };

// The encoding that the byte-order mark at `data` names, or codePage when
// there is none: all that can be told from the first bytes of a file.
TextEncoding EncodingOfMark(const unsigned char* data, size_t size);

// Bytes of the byte-order mark that `encoding` starts with (0 for utf8 and
// codePage).
size_t MarkLength(TextEncoding encoding);

// Tells UTF-8 from the code page over a file's bytes that come in pieces, in
// order.
class Utf8Detector {
public:
    // Goes through the piece; returns the bytes taken: all of them, but a
    // sequence that the piece's end cuts, which the next piece must repeat
    // (`last`: no piece follows, so a cut sequence is malformed).
    size_t Scan(const unsigned char* data, size_t size, bool last);
    // Decided: a malformed sequence was seen; the rest need not be read.
    bool Malformed() const { return _malformed; }
    // UTF-8 once every piece was taken without a malformed sequence.
    TextEncoding Result() const {
        return !_malformed && _beyondAscii ? TextEncoding::utf8 : TextEncoding::codePage;
    }

private:
    bool _malformed = false;
    bool _beyondAscii = false;
};

// The encoding of the `size` bytes at `data`, a whole file.
TextEncoding DetectEncoding(const unsigned char* data, size_t size);

struct Conversion {
    size_t taken;   // bytes of the input converted
    size_t written; // bytes of the code page written
};

// Converts the text at `data` (in `encoding`, its byte-order mark already
// skipped) into the code page at `out`, which has room for `room` bytes.
// Stops at the first character whose bytes do not fit, and, unless `last`,
// at a character that the input's end cuts. Writes only `out`, so it may run
// under a fault guard. No character takes more bytes in a code page, even a
// double-byte one, than in its Unicode form: `room` = `size` always suffices.
Conversion ConvertText(TextEncoding encoding, const unsigned char* data, size_t size, bool last,
                       unsigned char* out, size_t room);

// The whole file at `data` (byte-order mark included) into `out`, which has
// room for `size` bytes; returns the bytes written.
size_t ConvertToCodePage(TextEncoding encoding, const unsigned char* data, size_t size,
                         unsigned char* out);

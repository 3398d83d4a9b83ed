#include "search/text_encoding.h"

#include <cstring>

#include "search/code_page.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The offset of the first byte from 0x80 up, or `size` when all are ASCII.
// Most source files are ASCII throughout, so this is the whole cost of
// reading them: 16 bytes a step.
size_t FirstNonAscii(const unsigned char* data, size_t size) {
    size_t at = 0;
#if defined(__SSE2__)
    for (; at + 16 <= size; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        if (_mm_movemask_epi8(block) != 0) break;
    }
#endif
    while (at < size && data[at] < 0x80)
        ++at;
    return at;
}

// The length of the well-formed UTF-8 sequence at `p` (lead byte 0x80 and
// up), or 0 when it is malformed: a stray continuation byte, a sequence cut
// short, an overlong form, a surrogate or a code point past U+10FFFF.
size_t SequenceLength(const unsigned char* p, const unsigned char* end) {
    auto follows = [&](size_t i, unsigned char low, unsigned char high) {
        return p + i < end && p[i] >= low && p[i] <= high;
    };
    const unsigned char lead = p[0];
    if (lead >= 0xC2 && lead <= 0xDF) return follows(1, 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return follows(1, low, high) && follows(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return follows(1, low, high) && follows(2, 0x80, 0xBF) && follows(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

bool IsValidUtf8(const unsigned char* data, size_t size) {
    const unsigned char* end = data + size;
    for (const unsigned char* p = data; p < end;) {
        p += FirstNonAscii(p, static_cast<size_t>(end - p));
        if (p == end) break;
        const size_t length = SequenceLength(p, end);
        if (length == 0) return false;
        p += length;
    }
    return true;
}

// Writes the code page's bytes of one unit; returns the position after them.
unsigned char* Put(const CodePageTable& table, uint32_t unit, unsigned char* out) {
    const uint16_t bytes = table[unit];
    if (bytes >= 0x100) *out++ = static_cast<unsigned char>(bytes >> 8);
    *out++ = static_cast<unsigned char>(bytes);
    return out;
}

size_t ConvertUtf8(const unsigned char* data, size_t size, unsigned char* out) {
    const CodePageTable& table = HostCodePage();
    const unsigned char* end = data + size;
    unsigned char* start = out;
    for (const unsigned char* p = data; p < end;) {
        // ASCII is the same in every code page: copied in runs.
        const size_t ascii = FirstNonAscii(p, static_cast<size_t>(end - p));
        memcpy(out, p, ascii);
        out += ascii;
        p += ascii;
        if (p == end) break;
        const size_t length = SequenceLength(p, end);
        uint32_t point = '?';
        if (length == 2) point = (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
        if (length == 3) point = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
        // Past the 16-bit range (and for a malformed byte) no code page has it.
        out = Put(table, point, out);
        p += length ? length : 1;
    }
    return static_cast<size_t>(out - start);
}

size_t ConvertUtf16(const unsigned char* data, size_t size, bool bigEndian, unsigned char* out) {
    const CodePageTable& table = HostCodePage();
    const int high = bigEndian ? 0 : 1;
    unsigned char* start = out;
    // A last odd byte is half a unit and is dropped.
    for (size_t at = 0; at + 1 < size; at += 2) {
        const uint32_t unit = static_cast<uint32_t>(data[at + high]) << 8 | data[at + 1 - high];
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < size) {
            const uint32_t next =
                static_cast<uint32_t>(data[at + 2 + high]) << 8 | data[at + 3 - high];
            if (next >= 0xDC00 && next <= 0xDFFF) at += 2; // the pair is one character
        }
        out = Put(table, unit, out);
    }
    return static_cast<size_t>(out - start);
}

} // namespace

TextEncoding EncodingOfMark(const unsigned char* data, size_t size) {
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return TextEncoding::utf8WithMark;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return TextEncoding::utf16Le;
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) return TextEncoding::utf16Be;
    return TextEncoding::codePage;
}

TextEncoding DetectEncoding(const unsigned char* data, size_t size) {
    const TextEncoding marked = EncodingOfMark(data, size);
    if (marked != TextEncoding::codePage) return marked;
    const size_t first = FirstNonAscii(data, size);
    // All ASCII reads the same in every encoding: nothing to convert.
    if (first == size) return TextEncoding::codePage;
    return IsValidUtf8(data + first, size - first) ? TextEncoding::utf8 : TextEncoding::codePage;
}

size_t ConvertToCodePage(TextEncoding encoding, const unsigned char* data, size_t size,
                         unsigned char* out) {
    switch (encoding) {
    case TextEncoding::utf8WithMark:
        return ConvertUtf8(data + 3, size - 3, out);
    case TextEncoding::utf8:
        return ConvertUtf8(data, size, out);
    case TextEncoding::utf16Le:
        return ConvertUtf16(data + 2, size - 2, false, out);
    case TextEncoding::utf16Be:
        return ConvertUtf16(data + 2, size - 2, true, out);
    case TextEncoding::codePage:
        break;
    }
    memcpy(out, data, size);
    return size;
}

#include "search/text_encoding.h"

#include <cstring>

#include "search/code_page.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The offset of the first byte from 0x80 up, or `size` when all are ASCII.
// Most source files are ASCII throughout, so this is the whole cost of
// reading them.
size_t FirstNonAscii(const unsigned char* data, size_t size) {
    size_t at = 0;
#if defined(__SSE2__)
    // 64 bytes a step while they are all ASCII, then 16 bytes a step up to
    // the block that holds the first other byte.
    for (; at + 64 <= size; at += 64) {
        const __m128i* blocks = reinterpret_cast<const __m128i*>(data + at);
        const __m128i any =
            _mm_or_si128(_mm_or_si128(_mm_loadu_si128(blocks), _mm_loadu_si128(blocks + 1)),
                         _mm_or_si128(_mm_loadu_si128(blocks + 2), _mm_loadu_si128(blocks + 3)));
        if (_mm_movemask_epi8(any) != 0) break;
    }
    for (; at + 16 <= size; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        if (_mm_movemask_epi8(block) != 0) break;
    }
#endif
    while (at < size && data[at] < 0x80)
        ++at;
    return at;
}

// Copies the ASCII bytes from `p` on to `out` while room lasts, moving `p`
// past them; returns the end of the copy. Text is mostly
// ASCII with a character beyond it every few dozen bytes: one pass that
// copies 16 bytes a step, without a call for each run, keeps the conversion
// close to the cost of reading the text.
unsigned char* CopyAscii(const unsigned char*& p, const unsigned char* end, unsigned char* out,
                         unsigned char* limit) {
#if defined(__SSE2__)
    while (end - p >= 16 && limit - out >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // The whole block is stored; only its bytes before the first beyond
        // ASCII count, and the room holds all 16.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        const int beyond = _mm_movemask_epi8(block);
        if (beyond != 0) {
            const int ascii = __builtin_ctz(static_cast<unsigned>(beyond));
            p += ascii;
            return out + ascii;
        }
        p += 16;
        out += 16;
    }
#endif
    while (p < end && out < limit && *p < 0x80)
        *out++ = *p++;
    return out;
}

// The UTF-8 sequence at `p` (lead byte 0x80 and up): a well-formed one, or
// its maximal ill-formed subpart (a stray continuation byte, a sequence cut
// short, an overlong form, a surrogate or a code point past U+10FFFF); `cut`
// when the data ended inside a sequence that might still have been whole.
struct Sequence {
    size_t length;
    bool wellFormed;
    bool cut;
};

Sequence ReadSequence(const unsigned char* p, const unsigned char* end) {
    const unsigned char lead = p[0];
    size_t need = 0;
    unsigned char low = 0x80, high = 0xBF; // of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {1, false, false};
    }
    for (size_t i = 1; i < need; ++i) {
        if (p + i == end) return {i, false, true};
        if (p[i] < (i == 1 ? low : 0x80) || p[i] > (i == 1 ? high : 0xBF)) return {i, false, false};
    }
    return {need, true, false};
}

// Writes the code page's bytes of one UTF-16 unit when they fit before
// `limit`; returns the position after them, or null when they do not fit.
unsigned char* Put(const CodePageTable& table, uint32_t unit, unsigned char* out,
                   unsigned char* limit) {
    const uint16_t bytes = table[unit];
    const ptrdiff_t need = bytes >= 0x100 ? 2 : 1;
    if (limit - out < need) return nullptr;
    if (need == 2) *out++ = static_cast<unsigned char>(bytes >> 8);
    *out++ = static_cast<unsigned char>(bytes);
    return out;
}

Conversion ConvertUtf8(const unsigned char* data, size_t size, bool last, unsigned char* out,
                       size_t room) {
    const CodePageTable& table = HostCodePage();
    const unsigned char* end = data + size;
    unsigned char* const start = out;
    unsigned char* const limit = out + room;
    const unsigned char* p = data;
    while (p < end) {
        // ASCII is the same in every code page: copied as it is scanned.
        out = CopyAscii(p, end, out, limit);
        if (p == end || out == limit) break;
        const Sequence sequence = ReadSequence(p, end);
        if (sequence.cut && !last) break;
        uint32_t point = '?';
        if (sequence.wellFormed && sequence.length == 2)
            point = (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
        if (sequence.wellFormed && sequence.length == 3)
            point = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
        // Past the 16-bit range no code page has it.
        unsigned char* next = Put(table, point, out, limit);
        if (!next) break;
        out = next;
        p += sequence.length;
    }
    return {static_cast<size_t>(p - data), static_cast<size_t>(out - start)};
}

Conversion ConvertUtf16(const unsigned char* data, size_t size, bool bigEndian, bool last,
                        unsigned char* out, size_t room) {
    const CodePageTable& table = HostCodePage();
    const int high = bigEndian ? 0 : 1;
    unsigned char* const start = out;
    unsigned char* const limit = out + room;
    auto unitAt = [&](size_t at) {
        return static_cast<uint32_t>(data[at + high]) << 8 | data[at + 1 - high];
    };
    size_t at = 0;
    while (at + 1 < size) {
        const uint32_t unit = unitAt(at);
        size_t length = 2;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (at + 3 >= size && !last) break; // its partner may follow
            if (at + 3 < size && unitAt(at + 2) >= 0xDC00 && unitAt(at + 2) <= 0xDFFF)
                length = 4; // the pair is one character
        }
        unsigned char* next = Put(table, unit, out, limit);
        if (!next) break;
        out = next;
        at += length;
    }
    // A last odd byte is half a unit and is dropped.
    if (last && at + 1 == size && out < limit) at = size;
    return {at, static_cast<size_t>(out - start)};
}

Conversion ConvertUtf32(const unsigned char* data, size_t size, bool bigEndian, bool last,
                        unsigned char* out, size_t room) {
    const CodePageTable& table = HostCodePage();
    unsigned char* const start = out;
    unsigned char* const limit = out + room;
    size_t at = 0;
    for (; at + 3 < size; at += 4) {
        const unsigned char* u = data + at;
        const uint32_t point =
            bigEndian ? static_cast<uint32_t>(u[0]) << 24 | u[1] << 16 | u[2] << 8 | u[3]
                      : static_cast<uint32_t>(u[3]) << 24 | u[2] << 16 | u[1] << 8 | u[0];
        unsigned char* next = Put(table, point < 0x10000 ? point : '?', out, limit);
        if (!next) break;
        out = next;
    }
    // The bytes of a last unit cut short are dropped.
    if (last && at + 4 > size && out < limit) at = size;
    return {at, static_cast<size_t>(out - start)};
}

} // namespace

TextEncoding EncodingOfMark(const unsigned char* data, size_t size) {
    if (size >= 4 && data[0] == 0xFF && data[1] == 0xFE && data[2] == 0 && data[3] == 0)
        return TextEncoding::utf32Le;
    if (size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 0xFE && data[3] == 0xFF)
        return TextEncoding::utf32Be;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return TextEncoding::utf8WithMark;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return TextEncoding::utf16Le;
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) return TextEncoding::utf16Be;
    return TextEncoding::codePage;
}

size_t MarkLength(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::utf8WithMark:
        return 3;
    case TextEncoding::utf16Le:
    case TextEncoding::utf16Be:
        return 2;
    case TextEncoding::utf32Le:
    case TextEncoding::utf32Be:
        return 4;
    case TextEncoding::utf8:
    case TextEncoding::codePage:
        break;
    }
    return 0;
}

size_t Utf8Detector::Scan(const unsigned char* data, size_t size, bool last) {
    const unsigned char* end = data + size;
    for (const unsigned char* p = data; p < end && !_malformed;) {
        p += FirstNonAscii(p, static_cast<size_t>(end - p));
        if (p == end) break;
        const Sequence sequence = ReadSequence(p, end);
        if (sequence.cut && !last) return static_cast<size_t>(p - data);
        _malformed = !sequence.wellFormed;
        _beyondAscii = true;
        p += sequence.length;
    }
    return size;
}

TextEncoding DetectEncoding(const unsigned char* data, size_t size) {
    const TextEncoding marked = EncodingOfMark(data, size);
    if (marked != TextEncoding::codePage) return marked;
    Utf8Detector detector;
    detector.Scan(data, size, true);
    return detector.Result();
}

Conversion ConvertText(TextEncoding encoding, const unsigned char* data, size_t size, bool last,
                       unsigned char* out, size_t room) {
    switch (encoding) {
    case TextEncoding::utf8WithMark:
    case TextEncoding::utf8:
        return ConvertUtf8(data, size, last, out, room);
    case TextEncoding::utf16Le:
        return ConvertUtf16(data, size, false, last, out, room);
    case TextEncoding::utf16Be:
        return ConvertUtf16(data, size, true, last, out, room);
    case TextEncoding::utf32Le:
        return ConvertUtf32(data, size, false, last, out, room);
    case TextEncoding::utf32Be:
        return ConvertUtf32(data, size, true, last, out, room);
    case TextEncoding::codePage:
        break;
    }
    const size_t length = size < room ? size : room;
    memcpy(out, data, length);
    return {length, length};
}

size_t ConvertToCodePage(TextEncoding encoding, const unsigned char* data, size_t size,
                         unsigned char* out) {
    const size_t mark = MarkLength(encoding);
    return ConvertText(encoding, data + mark, size - mark, true, out, size).written;
}

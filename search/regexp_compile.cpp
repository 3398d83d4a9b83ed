// Compiling a pattern text into the byte code of TRegexp, and the object's
// lifetime. The compiler knows before writing an element whether it fits,
// together with the closing zero, into the 128 bytes.
#include "search/regexp.h"

#include <cstring>
#include <new>

namespace {

// The pattern text from its first character up to (not including) its first
// LF or its terminating zero: everything after a LF is ignored.
class PatternReader {
public:
    explicit PatternReader(const char* pattern)
        : _pos(reinterpret_cast<const unsigned char*>(pattern)), _end(_pos) {
        while (*_end != 0 && *_end != '\n')
            ++_end;
    }
    bool AtEnd() const { return _pos == _end; }
    bool IsLast() const { return _end - _pos == 1; }
    unsigned char Peek() const { return *_pos; }
    unsigned char Next() { return *_pos++; }

private:
    const unsigned char* _pos;
    const unsigned char* _end;
};

// The system's character classes know ASCII only.
unsigned char ToUpperAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

int HexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = ToUpperAscii(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsOctalDigit(unsigned char c) {
    return c >= '0' && c <= '7';
}

// Reads up to `maxDigits` more digits of `base` and returns the value, its low
// 8 bits kept.
int ReadNumber(PatternReader& reader, int value, int base, int maxDigits) {
    for (int i = 0; i < maxDigits && !reader.AtEnd(); ++i) {
        int digit = HexDigitValue(reader.Peek());
        if (digit < 0 || digit >= base) break;
        reader.Next();
        value = value * base + digit;
    }
    return value & 0xFF;
}

// One character of the pattern with its backslash escape resolved; letters
// after the backslash are taken without regard to case.
int ReadChar(PatternReader& reader) {
    unsigned char c = reader.Next();
    if (c != '\\') return c;
    if (reader.AtEnd()) return '\\';
    unsigned char escaped = reader.Next();
    switch (ToUpperAscii(escaped)) {
    case 'B':
        return 8;
    case 'E':
        return 27;
    case 'F':
        return 12;
    case 'N':
        return 10;
    case 'R':
        return 13;
    case 'S':
        return 32;
    case 'T':
        return 9;
    case 'X':
        return ReadNumber(reader, 0, 16, 3);
    case '^':
        // A control character: \^A is 1. Values below 0 keep their low 8 bits.
        if (reader.AtEnd()) return '^';
        return (ToUpperAscii(reader.Next()) - 64) & 0xFF;
    default:
        if (IsOctalDigit(escaped)) return ReadNumber(reader, escaped - '0', 8, 2);
        return escaped;
    }
}

void AddToClass(unsigned char* bits, int value) {
    value &= 0x7F; // the upper half shares the bits of the lower half
    bits[value >> 3] |= static_cast<unsigned char>(1 << (value & 7));
}

// A bracket expression after its `[`, into the 16-byte bit set `bits`.
void ReadClass(PatternReader& reader, unsigned char* bits) {
    bool negated = !reader.AtEnd() && reader.Peek() == '^';
    if (negated) reader.Next();
    bool first = true;
    int last = 0; // the member read last: where a range after it starts
    while (!reader.AtEnd() && reader.Peek() != ']') {
        if (reader.Peek() == '-') {
            reader.Next();
            // A `-` first, last, or right before `]` is the member `-`.
            if (first || reader.AtEnd() || reader.Peek() == ']') {
                last = '-';
                AddToClass(bits, last);
            } else {
                int high = ReadChar(reader);
                int from = last < high ? last : high;
                int to = last < high ? high : last;
                for (int value = from; value <= to; ++value)
                    AddToClass(bits, value);
                last = high;
            }
        } else {
            last = ReadChar(reader);
            AddToClass(bits, last);
        }
        first = false;
    }
    if (!reader.AtEnd()) reader.Next(); // the `]`
    if (negated) {
        for (int i = 0; i < 16; ++i)
            bits[i] = static_cast<unsigned char>(~bits[i]);
        // A complemented class stays on its line: it takes neither LF nor CR
        // (nor, since the upper half shares the bits, 0x8A and 0x8D).
        bits['\n' >> 3] &= static_cast<unsigned char>(~(1 << ('\n' & 7)));
        bits['\r' >> 3] &= static_cast<unsigned char>(~(1 << ('\r' & 7)));
    }
}

TRegexp::Status Compile(const char* pattern, unsigned char* code) {
    if (pattern == nullptr || *pattern == 0 || std::strchr("\n*+?", *pattern) != nullptr) {
        return TRegexp::kIllegal;
    }
    if (code == nullptr) return TRegexp::kNoMemory;

    // Only a plain element may be repeated.
    enum Kind { kNothing, kAnchor, kRepetition, kElement };
    PatternReader reader(pattern);
    int size = 0;             // bytes compiled so far
    Kind lastKind = kNothing; // of the element compiled last
    int lastAt = 0;           // where it begins
    while (!reader.AtEnd()) {
        unsigned char c = reader.Peek();
        int needed = c == '[' ? TRegexp::kClassSize : 1;
        if (size + needed + 1 > TRegexp::kBufferSize) return TRegexp::kTooLong;

        if (c == '*' || c == '+' || c == '?') {
            reader.Next();
            if (lastKind != kElement) return TRegexp::kTooLong;
            // The repetition code goes before the element it repeats.
            std::memmove(code + lastAt + 1, code + lastAt, size - lastAt);
            code[lastAt] = c == '*'   ? TRegexp::kZeroOrMore
                           : c == '+' ? TRegexp::kOneOrMore
                                      : TRegexp::kZeroOrOne;
            ++size;
            lastKind = kRepetition;
            continue;
        }

        lastAt = size;
        lastKind = kElement;
        if (c == '^' && size == 0) {
            reader.Next();
            code[size++] = TRegexp::kStartAnchor;
            lastKind = kAnchor;
        } else if (c == '$' && reader.IsLast()) {
            reader.Next();
            code[size++] = TRegexp::kEndAnchor;
            lastKind = kAnchor;
        } else if (c == '.') {
            reader.Next();
            code[size++] = TRegexp::kAnyChar;
        } else if (c == '[') {
            reader.Next();
            code[size] = TRegexp::kClass;
            ReadClass(reader, code + size + 1);
            size += TRegexp::kClassSize;
        } else {
            code[size++] = static_cast<unsigned char>(ReadChar(reader));
        }
    }
    code[size] = 0;
    return TRegexp::kValid;
}

unsigned char* NewClearedBuffer() {
    unsigned char* buffer = new (std::nothrow) unsigned char[TRegexp::kBufferSize];
    if (buffer != nullptr) std::memset(buffer, 0, TRegexp::kBufferSize);
    return buffer;
}

} // namespace

TRegexp::TRegexp(const char* pattern) : _pattern(NewClearedBuffer()), _status(kValid) {
    _status = Compile(pattern, _pattern);
}

TRegexp::TRegexp(const TRegexp& other) : _pattern(NewClearedBuffer()), _status(other._status) {
    if (_pattern == nullptr) {
        _status = kNoMemory;
    } else if (other._pattern != nullptr) {
        std::memcpy(_pattern, other._pattern, kBufferSize);
    }
}

TRegexp::~TRegexp() {
    delete[] _pattern;
}

#pragma once

// The byte code of a TRegexp decoded into the linear program its matcher
// runs: one step per element, `+` split into the element and a `*` of it, the
// repetitions of zero-width elements that can do nothing left out. Built on
// the stack for each search; reads nothing outside the 128-byte code.
#include "search/regexp.h"

#include <cstdint>

// A set of byte values.
class ByteSet {
public:
    bool Has(unsigned char c) const { return (_words[c >> 5] >> (c & 31)) & 1; }
    void Add(unsigned char c) { _words[c >> 5] |= std::uint32_t(1) << (c & 31); }
    void Remove(unsigned char c) { _words[c >> 5] &= ~(std::uint32_t(1) << (c & 31)); }
    void AddAll(const ByteSet& other);
    void Clear();
    void Fill();
    bool IsEmpty() const;
    // The value when the set holds exactly one byte, else -1.
    int TheOnlyByte() const;

private:
    std::uint32_t _words[8];
};

// A line starts after a LF and after a CR that no LF follows (the line end
// of CR-only files); the LF of a CR LF pair starts nothing. `at` must lie
// after the first byte of the text.
inline bool IsLineStart(const unsigned char* at) {
    return at[-1] == '\n' || (at[-1] == '\r' && *at != '\n');
}

// A line ends before a LF, before a CR (alone or of a CR LF pair) and at the
// terminating zero.
inline bool IsLineEnd(unsigned char byte) {
    return byte == '\n' || byte == '\r' || byte == 0;
}

// The code byte at `index`; the code ends at the 128 bytes.
inline unsigned char CodeAt(const unsigned char* code, int index) {
    return index < TRegexp::kBufferSize ? code[index] : 0;
}

// Whether `byte` is the code of a repetition (`*`, `+` or `?`).
inline bool IsRepetition(unsigned char byte) {
    return byte == TRegexp::kZeroOrMore || byte == TRegexp::kOneOrMore ||
           byte == TRegexp::kZeroOrOne;
}

struct RegexpStep {
    enum Kind : unsigned char {
        kConsume,     // takes one byte of `bytes` (never the terminating zero)
        kStartAnchor, // holds at the search start and at every line start
        kEndAnchor,   // holds at every line end (IsLineEnd)
    };
    enum Repeat : unsigned char {
        kOnce,     // must hold
        kOptional, // a consuming step taken if it holds, given back on demand
        kStar,     // a consuming step taken as often as it holds, giving back on demand
    };
    Kind kind;
    Repeat repeat; // anchors are always kOnce
    ByteSet bytes; // for kConsume
};

class RegexpProgram {
public:
    enum { kMaxSteps = TRegexp::kBufferSize };

    // `code`: the 128 bytes of a validly compiled pattern.
    explicit RegexpProgram(const unsigned char* code);

    int GetCount() const { return _count; }
    const RegexpStep& GetStep(int index) const { return _steps[index]; }
    // The bytes at which a match that begins after the search start can begin.
    const ByteSet& GetFirstBytes() const { return _firstBytes; }
    // Whether the program matches the empty text at a line end that is no
    // line start (every step may be skipped or is an end anchor).
    bool MatchesEmptyAtLineEnd() const;
    // The longest run of bytes that every match holds one after another (of
    // steps that take one given byte each), when no step takes LF or CR: a
    // match then lies within one line, and only a line that holds the run
    // can hold one. Length 0 when there is no such run.
    const unsigned char* GetLineLiteral() const { return _lineLiteral; }
    uint32_t GetLineLiteralLength() const { return _lineLiteralLength; }

private:
    void Decode(const unsigned char* code);
    void AddStep(RegexpStep::Kind kind, RegexpStep::Repeat repeat, const ByteSet& bytes);
    void FindFirstBytes();
    void FindLineLiteral();

    int _count;
    RegexpStep _steps[kMaxSteps];
    ByteSet _firstBytes;
    unsigned char _lineLiteral[kMaxSteps];
    uint32_t _lineLiteralLength;
};

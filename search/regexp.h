#pragma once

// TRegexp: the small pattern matcher of the pattern search. A pattern text is
// compiled once into a byte code of at most 128 bytes (closing zero included)
// held in a buffer the object owns; Find then looks for the leftmost match in a
// zero-terminated text from a given offset. Syntax: ^ (at the start of the
// pattern), $ (at its end), . (any byte but LF and CR), [set] and [^set] with
// ranges,
// * + ? after an element (greedy, giving back what the rest of the pattern
// needs), and backslash escapes (see ReadChar in regexp_compile.cpp). No
// alternation, no grouping, no case folding.
//
// Lines: a match stays on its line. Neither `.` nor a complemented class
// takes a LF or a CR; only a pattern that names a line end itself (`\n`,
// `\r`, or a class that lists one) matches one. `^` holds where Find starts and at the start of
// every line, that is right after a LF and right after a CR that no LF follows (the line end of
// CR-only files); the LF of a CR LF pair starts no line. `$` holds at the end
// of every line: before a LF, before a CR (alone or of a CR LF pair) and at
// the end of the text. So `^` and `$` alone match every line of LF, CR LF and
// CR-only text. The file search (search/pattern_search.h) does not call Find
// again after each match: it finds every match in one pass, as a single
// search from the text's start, so its `^` holds only at the text's start and
// at line starts.
//
// Byte code: 0xDE start anchor, 0xA4 end anchor, 0xAE any byte, 0xDB followed
// by a 16-byte bit set (value c at byte (c & 0x7F) >> 3, bit c & 7; bytes from
// 0x80 look up their lower-half counterpart), 0xAA / 0xAB / 0xBF (zero or more,
// one or more, zero or one) placed before the element they repeat; any other
// byte is a literal, and a zero byte ends the code. A pattern byte equal to a
// code (written as an escape such as \xA4) acts as that code when matched.
//
// The match found is the one a recursive backtracking search finds: the
// leftmost start and, at it, the end that greedy repetition reaches first. It
// is computed by a priority-ordered simulation of the code instead, so one call
// costs at most (text length from the start) x (number of elements) steps, uses
// a fixed amount of stack and allocates nothing.
//
// Decisions on the cases the matcher's contract leaves open:
//  - A pattern whose status is not 0 finds nothing.
//  - Nothing reads outside the 128 bytes, past the end of the pattern text or
//    past the text's terminating zero.
//  - The terminating zero is not a byte of the text: only the end anchor
//    matches there, so `a.` does not match a text that ends in a.
//  - The pattern ends at its first LF wherever it stands (inside a class or
//    right after a backslash too).
//  - `\^c` whose value falls below 0 keeps its low 8 bits, like values above
//    255; `\^` at the very end of the pattern is `^`.
//  - The rule against repeating an anchor or a repetition looks at the kind of
//    element compiled, not at its byte: `\xA4*` compiles.
//  - A reversed range such as [z-a] holds both its ends and all between them;
//    a `-` right before `]` or at the end of the pattern is the member `-`;
//    the ends of a range are the values ReadChar resolves ([\x41-\x5A] is A to
//    Z); a range right after a range starts at the value read last ([a-c-e]
//    holds a to e).
//  - When matched: a repetition of an element that matches without moving (a
//    literal byte acting as an anchor, as in `\xA4*`) stops repeating; a
//    repetition code where the element of another repetition is expected is a
//    literal byte; a repetition code right before the closing zero repeats
//    that zero, which matches no byte of a text (so it is empty for * and ?,
//    and never matches for +), and the code ends there; the constructor clears
//    the whole buffer, so a class code whose 16 bytes run past the closing zero
//    reads only zero bits there, counts no byte beyond the 128 and ends the
//    code.
class TRegexp {
public:
    enum { kBufferSize = 128 };
    enum Status { kValid = 0, kIllegal = 1, kNoMemory = 2, kTooLong = 3 };
    enum Code : unsigned char {
        kStartAnchor = 0xDE,
        kEndAnchor = 0xA4,
        kAnyChar = 0xAE,
        kClass = 0xDB,
        kZeroOrMore = 0xAA,
        kOneOrMore = 0xAB,
        kZeroOrOne = 0xBF,
    };
    enum { kClassSize = 17 }; // the class code and its 16-byte bit set

    // Compiles `pattern` (zero-terminated, may be null = empty). Never throws:
    // a failure (illegal pattern, no memory, too long) shows in GetStatus().
    explicit TRegexp(const char* pattern);
    // A new buffer with all 128 bytes and the status; status 2 if none.
    TRegexp(const TRegexp& other);
    TRegexp& operator=(const TRegexp&) = delete;
    virtual ~TRegexp();

    // The leftmost match in the zero-terminated `text` from offset `start`,
    // which must lie within the text (up to its terminating zero). Returns the
    // offset of the match and puts its length in `length` (an empty match is
    // 1 long at `start`, 0 long further on), or returns -1 with length 0.
    int Find(const char* text, int start, int& length) const;

    int GetStatus() const { return _status; }
    // The 128-byte compiled form; null when it could not be allocated.
    const unsigned char* GetPattern() const { return _pattern; }

private:
    unsigned char* _pattern; // owned, kBufferSize bytes, cleared before compiling
    int _status;             // a Status
};

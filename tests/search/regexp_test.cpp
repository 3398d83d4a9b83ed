#include "search/regexp.h"

#include "tests/search/regexp_reference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The first `count` bytes of the compiled form, as hex.
std::string CompiledHex(const TRegexp& regexp, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    const unsigned char* code = regexp.GetPattern();
    for (size_t i = 0; i < count && i < TRegexp::kBufferSize; ++i) {
        if (i > 0) hex += ' ';
        hex += kDigits[code[i] >> 4];
        hex += kDigits[code[i] & 15];
    }
    return hex;
}

// A copy of `text` in a block of exactly its length plus the terminating zero,
// so that the address sanitizer catches a read past that zero.
class ExactText {
public:
    explicit ExactText(const std::string& text) : _bytes(new char[text.size() + 1]) {
        std::memcpy(_bytes.get(), text.c_str(), text.size() + 1);
    }
    const char* Get() const { return _bytes.get(); }

private:
    std::unique_ptr<char[]> _bytes;
};

struct FindResult {
    int offset;
    int length;
};

FindResult FindIn(const TRegexp& regexp, const std::string& text, int start = 0) {
    ExactText exact(text);
    FindResult result;
    result.offset = regexp.Find(exact.Get(), start, result.length);
    return result;
}

// ---- Compiling ----

struct CompileCase {
    const char* pattern;
    int status;
    const char* code; // the compiled form up to its closing zero; null: not checked
};

TEST(RegexpCompile, ElementsEscapesAndStatuses) {
    const CompileCase cases[] = {
        {"^a[0-9]*b$", 0, "DE 61 AA DB 00 00 00 00 00 00 FF 03 00 00 00 00 00 00 00 00 62 A4 00"},
        {"a.c", 0, "61 AE 63 00"},
        {"a*b+c?", 0, "AA 61 AB 62 BF 63 00"},
        {"[a]+", 0, "AB DB 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00"},
        {"a$+", 0, "61 AB 24 00"}, // a `$` that is not last is a literal
        {"$*", 0, "AA 24 00"},
        {"a$b", 0, "61 24 62 00"},
        {"a^", 0, "61 5E 00"},
        {"$", 0, "A4 00"},
        {"ab$\ncd", 0, "61 62 A4 00"}, // a LF ends the pattern
        {"ab\n*", 0, "61 62 00"},
        {"\\b\\e\\f\\n\\r\\s\\t", 0, "08 1B 0C 0A 0D 20 09 00"},
        {"\\B\\E\\F\\N\\R\\S\\T", 0, "08 1B 0C 0A 0D 20 09 00"},
        {"\\x41\\101A\\X4a", 0, "41 41 41 4A 00"},
        {"\\x1234", 0, "23 34 00"}, // three hex digits at most, low 8 bits kept
        {"\\xfffz", 0, "FF 7A 00"},
        {"\\xg", 0, "00 67 00"}, // no digit gives 0, which ends the code when matched
        {"\\777\\0101\\8", 0, "FF 08 31 38 00"},
        {"\\^A\\^a\\^[\\^?", 0, "01 01 1B FF 00"}, // \^? is -1: its low 8 bits
        {"a\\^", 0, "61 5E 00"},
        {"a\\", 0, "61 5C 00"},
        {"a\\\nb", 0, "61 5C 00"},
        {"\\*\\\\\\.\\$\\[", 0, "2A 5C 2E 24 5B 00"},
        {"\\xA4*", 0, "AA A4 00"}, // a literal byte that equals a code may be repeated
        {"\\xAA+", 0, "AB AA 00"},
        {"\xE1\xDB", 0, "E1 DB 00"},
        {nullptr, 1, nullptr},
        {"", 1, nullptr},
        {"*abc", 1, nullptr},
        {"+a", 1, nullptr},
        {"?a", 1, nullptr},
        {"\nabc", 1, nullptr},
        {"a**", 3, nullptr},
        {"a+?", 3, nullptr},
        {"^*", 3, nullptr},
        {"^+", 3, nullptr},
        {"a$\n*", 0, "61 A4 00"},
    };
    for (const CompileCase& c : cases) {
        SCOPED_TRACE(c.pattern ? c.pattern : "(null)");
        TRegexp regexp(c.pattern);
        EXPECT_EQ(c.status, regexp.GetStatus());
        if (c.code != nullptr) {
            std::string expected = c.code;
            EXPECT_EQ(expected, CompiledHex(regexp, (expected.size() + 1) / 3));
        }
    }
}

TEST(RegexpCompile, TheCodeFitsInto128Bytes) {
    struct {
        std::string pattern;
        int status;
    } cases[] = {
        {std::string(127, 'a'), 0},
        {std::string(128, 'a'), 3},
        {std::string(126, 'a') + "*", 0},
        {std::string(127, 'a') + "*", 3},
        {"[ab][ab][ab][ab][ab][ab][ab]", 0}, // 7 x 17 bytes and the closing zero
        {"[ab][ab][ab][ab][ab][ab][ab][ab]", 3},
        {"[ab][ab][ab][ab][ab][ab][ab]" + std::string(8, 'a'), 0}, // 119 + 8 + 1 bytes
        {"[ab][ab][ab][ab][ab][ab][ab]" + std::string(9, 'a'), 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        TRegexp regexp(c.pattern.c_str());
        EXPECT_EQ(c.status, regexp.GetStatus());
        if (c.status == 3) {
            EXPECT_EQ(-1, FindIn(regexp, std::string(200, 'a')).offset);
        }
    }
}

// The members 0..127 of the class compiled first in `pattern`.
std::string ClassMembers(const char* pattern) {
    TRegexp regexp(pattern);
    const unsigned char* code = regexp.GetPattern();
    int at = 0;
    while (code[at] != TRegexp::kClass)
        ++at;
    std::string members;
    for (int value = 0; value < 128; ++value) {
        if ((code[at + 1 + (value >> 3)] >> (value & 7)) & 1) members += static_cast<char>(value);
    }
    return members;
}

std::string AllBytesBut(const std::string& excluded) {
    std::string all;
    for (int value = 0; value < 128; ++value) {
        if (excluded.find(static_cast<char>(value)) == std::string::npos) {
            all += static_cast<char>(value);
        }
    }
    return all;
}

TEST(RegexpCompile, Classes) {
    const struct {
        const char* pattern;
        std::string members;
    } cases[] = {
        {"[-x]", "-x"},
        {"[^-x]", AllBytesBut("-x\n\r")}, // a complemented class takes no line end
        {"[a\\]b]", "]ab"},
        {"[]", ""},
        {"[]]", ""}, // an empty class, then a literal `]`
        {"[^]", AllBytesBut("\n\r")},
        {"[a-d]", "abcd"},
        {"[d-a]", "abcd"},         // reversed: both ends and all between
        {"[a-]", "-a"},            // `-` before `]` is a member
        {"[a-", "-a"},             // ... and at the end of the pattern
        {"[a-\n-z]", "-a"},        // the LF ends the pattern inside the class
        {"[a-c-e]", "abcde"},      // a range after a range starts at its end
        {"[--/]", "-./"},          // the first `-` is a member, then a range
        {"[\\x41-\\x44]", "ABCD"}, // the ends are escapes resolved
        {"[a-\\]]", "]^_`a"},      // reversed, upper end written as an escape
        {"[\\n\\t]", "\t\n"},
        {"[\xE1\xC2]", "Ba"}, // upper-half bytes land on the lower half
        {"[\\xE1-\\xE3]", "abc"},
        {"[ab", "ab"}, // no `]`: the class runs to the end
        {"[\\", "\\"},
        {"[a-\\", "\\]^_`a"},
        {"[\\x00]", std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(c.members, ClassMembers(c.pattern));
    }
}

TEST(RegexpCompile, CopyHasItsOwnBuffer) {
    std::unique_ptr<TRegexp> original(new TRegexp("b[0-9]+"));
    TRegexp copy(*original);
    EXPECT_NE(original->GetPattern(), copy.GetPattern());
    EXPECT_EQ(0, std::memcmp(original->GetPattern(), copy.GetPattern(), TRegexp::kBufferSize));
    original.reset();
    FindResult found = FindIn(copy, "ab12c");
    EXPECT_EQ(1, found.offset);
    EXPECT_EQ(3, found.length);

    TRegexp tooLong(std::string(128, 'a').c_str());
    EXPECT_EQ(3, TRegexp(tooLong).GetStatus());
}

// ---- Finding ----

struct FindCase {
    const char* pattern;
    std::string text;
    int start;
    int offset;
    int length;
};

void CheckFindCases(const std::vector<FindCase>& cases) {
    for (const FindCase& c : cases) {
        SCOPED_TRACE(std::string("pattern ") + c.pattern + " text " + c.text + " start " +
                     std::to_string(c.start));
        TRegexp regexp(c.pattern);
        FindResult found = FindIn(regexp, c.text, c.start);
        EXPECT_EQ(c.offset, found.offset);
        EXPECT_EQ(c.length, found.length);
        ReferenceResult reference =
            ReferenceFind(regexp.GetPattern(), regexp.GetStatus(), c.text.c_str(), c.start);
        EXPECT_EQ(c.offset, reference.offset);
        EXPECT_EQ(c.length, reference.length);
    }
}

TEST(RegexpFind, Elements) {
    CheckFindCases({
        {"abc", "xxabcxx", 0, 2, 3},
        {"a.c", "xxabcxx", 0, 2, 3},
        {"ab*c", "ac", 0, 0, 2},
        {"ab*c", "abc", 0, 0, 3},
        {"ab*c", "abbbc", 0, 0, 5},
        {"ab+c", "ac", 0, -1, 0},
        {"ab+c", "abbc", 0, 0, 4},
        {"ab?c", "ac", 0, 0, 2},
        {"ab?c", "abc", 0, 0, 3},
        {"ab?c", "abbc", 0, -1, 0},
        {"[0-9]+", "abc123def", 0, 3, 3},
        {"[^0-9]", "123a", 0, 3, 1},
        {"[]", "ab]", 0, -1, 0},
        {"[]]", "]]", 0, -1, 0},
        {"[^]", "\n", 0, -1, 0},
        {"\\.", "ab.", 0, 2, 1},
        {"\\.", "ab", 0, -1, 0},
        {"\\t", "a\tb", 0, 1, 1},
        {"\\x41\\101A", "xAAA", 0, 1, 3},
        {"[\\]]+", "a]]b", 0, 1, 2},     // `]` in a class through an escape
        {"[a-z]+", "\xE1\xFA", 0, 0, 2}, // the upper half shares the bits
        {"a", "\xE1", 0, -1, 0},         // a literal does not
        {"a.b", "a\nb", 0, -1, 0},       // any byte but LF and CR
        {"a.b", "a\rb", 0, -1, 0},
        {"a[^x]b", "a\nb", 0, -1, 0}, // a match stays on its line
        {"a[\\n]b", "a\nb", 0, 0, 3}, // unless the pattern names a line end
        {"a.", "a", 0, -1, 0},        // the terminating zero is no byte of the text
        {"a[^x]", "a", 0, -1, 0},
        {"a.*b", "axbyb", 0, 0, 5},
        {"a*ab", "aaab", 0, 0, 4}, // a repetition gives back what the rest needs
        {"x[ab]*b", "xabab x", 0, 0, 5},
        {"a?a", "a", 0, 0, 1}, // `?` gives back what the rest needs
        {"a?a", "aa", 0, 0, 2},
        {"ab?bc", "abc", 0, 0, 3},
        {"[0-9]?[0-9]", "5", 0, 0, 1},
        {"x?x?x", "xx", 0, 0, 2},
        {"a+", "baaab", 2, 2, 2},
        {"a$+", "xa$$", 0, 1, 3}, // a `$` that is not last is a literal
        {"a$+", "a\n", 0, -1, 0},
    });
}

TEST(RegexpFind, AnchorsAndEmptyMatches) {
    CheckFindCases({
        {"^abc", "abcabc", 0, 0, 3},
        {"^abc", "xabc", 0, -1, 0},
        {"^b", "ab", 1, 1, 1}, // the search start is a line start
        {"^b", "a\nb", 0, 2, 1},
        {"^b", "a\rb", 0, 2, 1},
        {"^b", "a\r\nb", 0, 3, 1},
        {"^\\n", "a\r\n\n", 0, 3, 1}, // the LF of a pair starts no line
        {"^b", "abb", 0, -1, 0},
        {"^", "abc", 0, 0, 1},
        {"^", "abc", 2, 2, 1},
        {"abc$", "abc\nx", 0, 0, 3},
        {"abc$", "xabc", 0, 1, 3},
        {"abc$", "abc\r\n", 0, 0, 3},
        {"abc$", "abc\rx", 0, 0, 3},
        {"abc\\r$", "abc\r\n", 0, 0, 4},
        {"$", "ab\r\ncd", 0, 2, 0},
        {"$", "ab\ncd", 0, 2, 0},
        {"$", "ab", 0, -1, 0},  // the position of the terminating zero is never a start
        {"x*", "abc", 0, 0, 1}, // empty at the search start: length 1
        {"x*", "abc", 1, 1, 1},
        {"b*$", "ab\n", 0, 1, 1},
        {"a*$", "b\n", 0, 1, 0}, // empty after the search start: length 0
        {"a$", "a", 0, 0, 1},
        // The empty text.
        {"$", "", 0, 0, 1},
        {"^", "", 0, 0, 1},
        {"^$", "", 0, 0, 1},
        {"$", "ab", 2, 2, 1},
        {"x*", "", 0, -1, 0},
        {"^x", "", 0, -1, 0},
        {"a", "a", 1, -1, 0},
    });
}

TEST(RegexpFind, PatternBytesThatEqualCodes) {
    CheckFindCases({
        {"\\xAE", "\n\xAE!", 0, 1, 1},  // acts as any character
        {"a\\xA4", "ab\na\n", 0, 3, 1}, // acts as the end anchor
        {"\\xA4*b", "ab", 0, 1, 1},     // an anchor repeated stops repeating
        {"\\xA4+", "ab\n", 0, 2, 0},
        {"a\\xDE", "aa", 0, -1, 0}, // the start anchor after a byte
        {"\\xDE+a", "ba", 0, -1, 0},
        {"\\xDE*a", "ba", 0, 1, 1},
        {"\\xAA*b",
         "\xAA\xAA"
         "b",
         0, 0, 3},                 // a repetition code repeated is a literal
        {"a\\xAA", "xa", 0, 1, 1}, // repeats the closing zero: empty
        {"a\\xBF", "xa", 0, 1, 1},
        {"a\\xAB", "xa", 0, -1, 0},   // ... once or more: never
        {"\\333a", "a\x05", 0, 1, 1}, // a class code takes the next bytes as bits
        {"\\333a", "\x85", 0, 0, 1},
        {"\\333a", "a", 0, -1, 0},
        {"a\\x00z", "xaz", 0, 1, 1}, // a zero from an escape ends the code
        {"a\\0b", "xab", 0, 1, 1},
        {"a\\^@b", "xab", 0, 1, 1},
        {"\\x00", "ab", 0, 0, 1}, // nothing left: empty at the start
    });
}

TEST(RegexpFind, ClassCodeAtTheEndOfTheBufferReadsNothingBeyond) {
    // A literal class code at byte 119: its bit set would reach past the 128
    // bytes. The `b` after it gives the bits of 1, 5 and 6; the buffer is a
    // block of its own, so a read past it would be caught.
    std::string pattern = std::string(119, 'a') + "\\333b";
    TRegexp regexp(pattern.c_str());
    ASSERT_EQ(0, regexp.GetStatus());
    FindResult found = FindIn(regexp, "xx" + std::string(119, 'a') + "\x01");
    EXPECT_EQ(2, found.offset);
    EXPECT_EQ(120, found.length);
    EXPECT_EQ(-1, FindIn(regexp, std::string(119, 'a') + "b").offset);
}

TEST(RegexpFind, InvalidPatternsFindNothing) {
    for (const char* pattern : {"", "*a", "a**", "^*"}) {
        SCOPED_TRACE(pattern);
        TRegexp regexp(pattern);
        EXPECT_NE(0, regexp.GetStatus());
        FindResult found = FindIn(regexp, "aaa*");
        EXPECT_EQ(-1, found.offset);
        EXPECT_EQ(0, found.length);
    }
}

// ---- Cost ----

// The patterns that make a backtracking search exponential run in time
// proportional to the text here; a regression shows as a test that hangs.
TEST(RegexpFind, RepetitionsDoNotMultiplyTheCost) {
    std::string run(200000, 'a');
    FindResult found = FindIn(TRegexp("a*a*a*a*a*a*a*a*c"), run);
    EXPECT_EQ(-1, found.offset);
    found = FindIn(TRegexp("a*a*a*a*a*a*a*a*c"), run + "c");
    EXPECT_EQ(0, found.offset);
    EXPECT_EQ(200001, found.length);

    std::string lines; // one long line: a match stays on its line
    for (int i = 0; i < 20000; ++i)
        lines += "int abc;\t ";
    found = FindIn(TRegexp("[^x]*[^y]*[^z]*q"), lines);
    EXPECT_EQ(-1, found.offset);
    found = FindIn(TRegexp("[^x]*[^y]*[^z]*q"), lines + "q" + lines);
    EXPECT_EQ(0, found.offset);
    EXPECT_EQ(static_cast<int>(lines.size()) + 1, found.length);
}

// ---- Against the backtracking search ----

class Random {
public:
    explicit Random(std::uint32_t seed) : _state(seed) {}
    std::uint32_t Next() {
        _state ^= _state << 13;
        _state ^= _state >> 17;
        _state ^= _state << 5;
        return _state;
    }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint32_t>(bound)); }
    template <size_t N>
    const char* Pick(const char* const (&choices)[N]) {
        return choices[Below(static_cast<int>(N))];
    }

private:
    std::uint32_t _state;
};

std::string RandomClass(Random& random) {
    static const char* const kMembers[] = {"a",   "b",     "c",   "-",    "a-c", "c-a", "\\]",
                                           "\\n", "\\x61", "\\r", "\xE1", "^",   "\\",  "]"};
    std::string text = "[";
    if (random.Below(3) == 0) text += '^';
    int count = random.Below(4);
    for (int i = 0; i < count; ++i) {
        text += random.Pick(kMembers);
    }
    if (random.Below(8) != 0) text += ']';
    return text;
}

// Mostly a and b, so that matches are frequent, with every other kind of
// element, stray repetitions and LF among them.
std::string RandomPattern(Random& random) {
    static const char* const kEscapes[] = {"\\n",  "\\r", "\\x61", "\\xE1", "\\141", "\\^J",
                                           "\\^M", "\\.", "\\*",   "\\\\",  "\\",    "\\^",
                                           "\\xa", "\\e", "\\]",   "\\t"};
    // The element codes as literal bytes (octal, so that no letter after them
    // is taken for a digit).
    static const char* const kCodes[] = {"\\244", "\\256", "\\333", "\\336",
                                         "\\252", "\\253", "\\277", "\\0"};
    static const char* const kRepetitions[] = {"*", "+", "?", "*"};
    std::string pattern;
    int count = 1 + random.Below(6);
    for (int i = 0; i < count; ++i) {
        int kind = random.Below(20);
        if (kind < 2) {
            pattern += '.';
        } else if (kind < 4) {
            pattern += RandomClass(random);
        } else if (kind < 5) {
            pattern += random.Pick(kEscapes);
        } else if (kind < 6) {
            pattern += random.Pick(kCodes);
        } else if (kind < 7) {
            pattern += random.Below(2) ? '^' : '$';
        } else if (kind < 8) {
            pattern += random.Below(4) ? random.Pick(kRepetitions) : "\n";
        } else {
            pattern += "aabbc\xE1\r"[random.Below(7)];
        }
        if (random.Below(5) < 2) pattern += random.Pick(kRepetitions);
    }
    return pattern;
}

std::string RandomText(Random& random) {
    static const char kBytes[] = "aaaaaaabbbbbbbcc\n\r\xE1\xAA]\x01";
    std::string text;
    int length = random.Below(24);
    for (int i = 0; i < length; ++i) {
        text += kBytes[random.Below(sizeof kBytes - 1)];
    }
    return text;
}

TEST(RegexpFind, AgreesWithTheBacktrackingSearch) {
    const int kCases = 200000;
    Random random(20261207);
    int compared = 0;
    for (int i = 0; i < kCases; ++i) {
        std::string pattern = RandomPattern(random);
        TRegexp regexp(pattern.c_str());
        for (int t = 0; t < 3; ++t) {
            ExactText text(RandomText(random));
            int start = random.Below(static_cast<int>(std::strlen(text.Get())) + 1);
            ReferenceResult expected =
                ReferenceFind(regexp.GetPattern(), regexp.GetStatus(), text.Get(), start, 100000);
            if (expected.exhausted) continue;
            int length = -1;
            int offset = regexp.Find(text.Get(), start, length);
            ++compared;
            if (offset != expected.offset || length != expected.length) {
                ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text.Get()
                              << "\" start " << start << ": found " << offset << "/" << length
                              << ", expected " << expected.offset << "/" << expected.length;
                return;
            }
        }
    }
    EXPECT_GT(compared, kCases * 3 * 99 / 100);
}

// The one-pass search of every match (the file search's) against the
// backtracking search restarted one byte after each match.
TEST(RegexpScan, AgreesWithTheRestartedBacktrackingSearch) {
    const int kCases = 100000;
    Random random(7122026);
    int compared = 0;
    for (int i = 0; i < kCases; ++i) {
        std::string pattern = RandomPattern(random);
        TRegexp regexp(pattern.c_str());
        ExactText text(RandomText(random));
        bool exhausted = false;
        std::vector<std::pair<int, int>> expected = ReferenceMatches(
            regexp.GetPattern(), regexp.GetStatus(), text.Get(), 100000, exhausted);
        if (exhausted) continue;
        ++compared;
        if (ScanMatches(regexp.GetPattern(), regexp.GetStatus(), text.Get()) != expected) {
            ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text.Get() << "\"";
            return;
        }
    }
    EXPECT_GT(compared, kCases * 99 / 100);
}

// Patterns with a run of given bytes skip the lines without it: lines that
// end in LF, CR LF and CR alone, matches that start before the run, a run
// across the first 64 KiB piece of its scan, against the reference.
TEST(RegexpScan, LinesWithoutTheLiteralRunHoldNoMatch) {
    static const char* const kFiller[] = {"\tunlock(e);\n", "int x_lok;\r\n", "do_lock b\r",
                                          "no lock here\n", "\n"};
    std::string filler;
    for (int i = 0; filler.size() < 70000; ++i)
        filler += kFiller[i % 5];
    const std::string after = "a_b_lock(c) x_lock(d)\r\n\tspin_lock(&a);\n_lock(\nx_lock;\r";
    for (const char* straddling : {"spin_lock(", "do_lock(", "_lock("}) {
        // A line of its own whose _lock( starts 3 bytes before the piece's end.
        const size_t lineStart = 65536 - 3 - (std::strlen(straddling) - 6);
        const std::string text = filler.substr(0, lineStart - 1) + "\n" + straddling + "\n" +
                                 filler.substr(lineStart) + after;
        for (const char* pattern : {"[a-z_]+_lock\\(", "^[a-z_]*_lock\\(", "_lock\\([a-z]*$",
                                    "x_lock[;(]", "lock\\(.*\\)"}) {
            TRegexp regexp(pattern);
            ExactText exact(text);
            bool exhausted = false;
            const std::vector<std::pair<int, int>> expected = ReferenceMatches(
                regexp.GetPattern(), regexp.GetStatus(), exact.Get(), -1, exhausted);
            EXPECT_FALSE(expected.empty()) << pattern;
            EXPECT_EQ(ScanMatches(regexp.GetPattern(), regexp.GetStatus(), exact.Get()), expected)
                << pattern << " around " << straddling;
        }
    }
}

} // namespace

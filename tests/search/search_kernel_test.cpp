// The pure search kernel: plain search, line pass and statistics over byte
// buffers, checked on the cases that matter and against naive oracles on
// generated inputs, with padding so that matches straddle every vector
// boundary of the candidate scan, in each of its builds.
#include "search/file_windows.h"
#include "search/line_ends.h"
#include "search/line_pass.h"
#include "search/plain_search.h"
#include "search/text_statistics.h"
#include "search/word_chars.h"
#include "tests/search/reference_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::vector<uint32_t> Plain(const std::string& data, const std::string& text, int caseInsensitive,
                            int wholeWords, int32_t limit = 10000) {
    // The data is copied to an exact-size heap block so that the sanitizers
    // catch any read behind its end.
    std::vector<unsigned char> exact(data.begin(), data.end());
    PlainQuery query = {Bytes(text), static_cast<uint32_t>(text.size()), caseInsensitive,
                        wholeWords};
    // Each build of the scan that the processor offers finds the same.
    std::vector<uint32_t> found[2];
    for (VectorBuild build : {VectorBuild::sse2, VectorBuild::avx2}) {
        if (!ProcessorOffers(build)) continue;
        std::vector<uint32_t>& positions = found[static_cast<int>(build)];
        positions.resize(static_cast<size_t>(limit));
        const int32_t n =
            FindPlainMatchesWith(build, exact.data(), static_cast<uint32_t>(exact.size()), query,
                                 positions.data(), limit);
        positions.resize(static_cast<size_t>(n));
    }
    if (ProcessorOffers(VectorBuild::avx2)) {
        EXPECT_EQ(found[1], found[0]) << "AVX2 against SSE2";
    }
    return found[0];
}

// The plain search as the rules state it, one position at a time.
std::vector<uint32_t> NaivePlain(const std::string& data, const std::string& text,
                                 int caseInsensitive, int wholeWords, int32_t limit = 10000) {
    std::vector<uint32_t> found;
    size_t p = 0;
    auto fold = [&](unsigned char c) { return caseInsensitive ? FoldToUpper(c) : c; };
    while (p < data.size()) {
        if (fold(data[p]) != fold(text[0])) {
            ++p;
            continue;
        }
        if (text.size() > data.size() - p) break;
        bool equal = true;
        for (size_t i = 0; i < text.size() && equal; ++i) {
            equal = fold(data[p + i]) == fold(text[i]);
        }
        bool bounded =
            !wholeWords || ((p == 0 || !WordChars()[static_cast<unsigned char>(data[p - 1])]) &&
                            (p + text.size() == data.size() ||
                             !WordChars()[static_cast<unsigned char>(data[p + text.size()])]));
        if (equal && bounded) {
            found.push_back(static_cast<uint32_t>(p));
            if (static_cast<int32_t>(found.size()) == limit) break;
            p += text.size();
        } else {
            ++p;
        }
    }
    return found;
}

// ---- Plain search

struct PlainCase {
    const char* name;
    std::string data;
    std::string text;
    int caseInsensitive;
    int wholeWords;
    std::vector<uint32_t> expected;
};

TEST(PlainSearch, Cases) {
    const PlainCase cases[] = {
        {"two on one line", "abc abc\n", "abc", 0, 0, {0, 4}},
        {"matches never overlap", "aaaa", "aa", 0, 0, {0, 2}},
        {"text longer than data", "ab", "abc", 0, 0, {}},
        {"match at the very end", "xxabc", "abc", 0, 0, {2}},
        {"case-sensitive", "abc ABC aBc", "abc", 0, 0, {0}},
        {"ASCII case folding", "abc ABC aBc", "abc", 1, 0, {0, 4, 8}},
        {"the code page's letters fold",
         "\xE4"
         "bc \xC4"
         "bc \xE4"
         "BC",
         "\xE4"
         "bc",
         1,
         0,
         {0, 4, 8}},
        {"fold only letters: @ is not `", "@x `x", "`x", 1, 0, {3}},
        {"fold only letters: [ is not {", "[x {x", "{x", 1, 0, {3}},
        {"whole word at both ends", "int", "int", 0, 1, {0}},
        {"whole word beside punctuation", "(int) int x", "int", 0, 1, {1, 6}},
        {"not a whole word in print or int_t", "print int_t _int", "int", 0, 1, {}},
        {"whole word: the code page's letters are word characters",
         "\xE9int\xE9 \xD7int\xF7",
         "int",
         0,
         1,
         {7}},
        {"refused match moves one byte on", "aaa a", "a", 0, 1, {4}},
        {"a rejected overlap is retried one byte later", "abab", "bab", 0, 0, {1}},
    };
    for (const PlainCase& c : cases) {
        EXPECT_EQ(Plain(c.data, c.text, c.caseInsensitive, c.wholeWords), c.expected) << c.name;
    }
}

TEST(PlainSearch, KeepsAtMostTheLimitAndSaysWhereItStopped) {
    std::string data;
    for (int i = 0; i < 12000; ++i)
        data += "x;";
    const std::string text = "x";
    PlainQuery query = {Bytes(text), 1, 0, 0};
    std::vector<uint32_t> positions(10000);
    uint32_t stoppedAt = 0;
    int32_t n = FindPlainMatches(Bytes(data), static_cast<uint32_t>(data.size()), query,
                                 positions.data(), 10000, &stoppedAt);
    ASSERT_EQ(n, 10000);
    EXPECT_EQ(positions[9999], 19998u);
    EXPECT_EQ(stoppedAt, 19999u);
}

// Every seed at every alignment: padding of 0 to 70 bytes before and 0 to 40
// after puts each match across every position of the 32- and 64-byte steps
// of the candidate scan and near both ends.
TEST(PlainSearch, AgreesWithTheOracleAtEveryAlignment) {
    const char* seeds[][2] = {
        {"PM_SUSPEND_PREPARE", "PM_SUSPEND_PREPARE"},
        {"return x; return;", "return"},
        {"int main(int argc) { print(int_t); }", "int"},
        {"Error ERROR error eRRoR", "ERROR"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "aaa"},
        {"a_b a b", "a"},
        {"0123456789abcdef0123456789ABCDEFx", "0123456789abcdef0123456789ABCDEF"},
    };
    for (auto& seed : seeds) {
        for (size_t before = 0; before <= 70; ++before) {
            for (size_t after = 0; after <= 40; after += 3) {
                std::string data = std::string(before, ' ') + seed[0] + std::string(after, '.');
                for (int flags = 0; flags < 4; ++flags) {
                    int ci = flags & 1, ww = flags >> 1;
                    ASSERT_EQ(Plain(data, seed[1], ci, ww), NaivePlain(data, seed[1], ci, ww))
                        << seed[0] << " before " << before << " after " << after << " flags "
                        << flags;
                }
            }
        }
    }
}

TEST(PlainSearch, AgreesWithTheOracleOnRandomData) {
    std::mt19937 random(7);
    const std::string alphabet = "abAB_ \n\xE1\xC1";
    for (int round = 0; round < 400; ++round) {
        std::string data(random() % 300, ' ');
        for (char& c : data)
            c = alphabet[random() % alphabet.size()];
        std::string text(1 + random() % 4, ' ');
        for (char& c : text)
            c = alphabet[random() % 4];
        int ci = random() % 2, ww = random() % 2;
        int32_t limit = 1 + static_cast<int32_t>(random() % 40);
        ASSERT_EQ(Plain(data, text, ci, ww, limit), NaivePlain(data, text, ci, ww, limit))
            << "round " << round;
    }
}

// The scan tests a text's two rarest bytes first, wherever they lie in it:
// texts taken from the data itself, up to 24 bytes long, so that they match.
TEST(PlainSearch, AgreesWithTheOracleWhereverTheRarestBytesLie) {
    std::mt19937 random(11);
    const std::string alphabet = "etaoin_ ()zqXJ\n\xE9\xC9";
    for (int round = 0; round < 600; ++round) {
        std::string data(40 + random() % 400, ' ');
        for (char& c : data)
            c = alphabet[random() % alphabet.size()];
        const size_t length = 1 + random() % 24;
        const std::string text = data.substr(random() % (data.size() - length), length);
        int ci = random() % 2, ww = random() % 2;
        ASSERT_EQ(Plain(data, text, ci, ww), NaivePlain(data, text, ci, ww))
            << "round " << round << " text " << text;
    }
}

// ---- Line pass

struct LinePassOutcome {
    std::vector<RecordedLine> lines;
    uint32_t offsetsHandled;
};

// The pass and the texts of its lines, read through windows of `window`
// bytes (0: the data whole), as the per-file search runs them.
LinePassOutcome Lines(const std::string& data, const std::vector<uint64_t>& offsets,
                      int firstOnly = 0, uint32_t window = 0) {
    std::vector<unsigned char> exact(data.begin(), data.end());
    MemoryWindows source(exact.data(), exact.size(), window);
    unsigned char delimiter = LineDelimiterOf(exact.data(), static_cast<uint32_t>(exact.size()));
    std::vector<HitLine> hits(offsets.size());
    LinePass pass(delimiter, firstOnly);
    pass.Start(offsets.data(), static_cast<int32_t>(offsets.size()), hits.data());
    while (pass.Continue(source.WindowAt(pass.Scanned()))) {
    }
    LinePassOutcome outcome;
    for (int32_t i = 0; i < pass.Result().records; ++i) {
        LineTextReader text(hits[i].lineStart, delimiter);
        while (!text.Done())
            text.Read(source.WindowAt(text.Position()));
        outcome.lines.push_back({hits[i].lineNumber, std::string(text.Text(), text.Length())});
    }
    outcome.offsetsHandled = pass.Result().offsetsHandled;
    return outcome;
}

std::vector<uint64_t> OffsetsOf(const std::string& data, const std::string& text) {
    std::vector<uint32_t> found = NaivePlain(data, text, 0, 0);
    return std::vector<uint64_t>(found.begin(), found.end());
}

struct LineCase {
    const char* name;
    std::string data;
    std::string text;
    std::vector<RecordedLine> expected;
};

TEST(LinePass, Cases) {
    const std::string line300 = "x" + std::string(299, 'y');
    const std::string crAfter160 = std::string(170, 'a') + "\r\nfoo\r\nbar foo\r\n";
    const LineCase cases[] = {
        {"two on one line, one record", "abc abc\n", "abc", {{1, "abc abc"}}},
        {"first line, blanks removed", " \t abc\nx", "abc", {{1, "abc"}}},
        {"LF lines", "a\nb abc\nc\nabc", "abc", {{2, "b abc"}, {4, "abc"}}},
        {"CR LF lines: counted by CR, text holds neither",
         "a\r\nb abc\r\nc\r\n\t  abc\r\n",
         "abc",
         {{2, "b abc"}, {4, "abc"}}},
        {"first CR after byte 160: LF lines, texts end with CR",
         crAfter160,
         "foo",
         {{2, "foo\r"}, {3, "bar foo\r"}}},
        {"300-character line keeps 160", "\n" + line300 + "\n", "x", {{2, line300.substr(0, 160)}}},
        {"Ü before the match starts the text",
         "\xDC"
         "ber abc\n\xDC"
         "x\nabc",
         "\xDC",
         {{1, "\xDC"
              "ber abc"},
          {2, "\xDC"
              "x"}}},
        {"match on leading control bytes: text starts after it",
         "\x01\x02"
         "abc\nz",
         "\x01",
         {{1, "abc"}}},
        {"line of control bytes only: empty text", "a\n\x01\x02\x03\nb", "\x02", {{2, ""}}},
        {"text ends at the end of the file", "abc", "abc", {{1, "abc"}}},
        {"blanks up to the end of the file", "x\n\x01  ", "\x01", {{2, ""}}},
        // A delimiter belongs to the line it ends; no record lies past the last line.
        {"match starting on a LF", "ab\ncd\n", "\ncd", {{1, "ab"}}},
        {"LF file, every line end", "ab\ncd\n", "\n", {{1, "ab"}, {2, "cd"}}},
        {"LF file, last line without end", "ab\ncd", "\n", {{1, "ab"}}},
        {"CR file, every line end", "ab\rcd\r", "\r", {{1, "ab"}, {2, "cd"}}},
        {"CR LF file, the CRs", "ab\r\ncd\r\n", "\r", {{1, "ab"}, {2, "cd"}}},
        {"CR LF file, the LFs: on the lines their pairs end",
         "ab\r\ncd\r\n",
         "\n",
         {{1, "ab"}, {2, "cd"}}},
        {"CR LF file, last line without end", "ab\r\ncd", "\n", {{1, "ab"}}},
        {"CR LF LF: the second LF is on the next line", "ab\r\n\ncd\r\n", "\ncd", {{2, "cd"}}},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(Lines(c.data, OffsetsOf(c.data, c.text)).lines, c.expected) << c.name;
    }
}

TEST(LinePass, ControlBytesBeforeAMatchNeverLendTheTextOfAnotherLine) {
    // Line 2 starts with control bytes and its match stands on them; line 3 is
    // plain. Each record carries its own line's number and text.
    std::string data = "head\n\x01\x01 tail2\nline3 \x01\n";
    std::vector<uint64_t> offsets = {5, 14};
    EXPECT_EQ(Lines(data, offsets).lines,
              (std::vector<RecordedLine>{{2, "tail2"}, {3, "line3 \x01"}}));
}

TEST(LinePass, FirstOnlyEndsAfterTheFirstRecord) {
    std::string data = "a\nb\nx x\nc\nd\ne\nx x x\n";
    LinePassOutcome outcome = Lines(data, OffsetsOf(data, "x"), 1);
    EXPECT_EQ(outcome.lines, (std::vector<RecordedLine>{{3, "x x"}}));
    EXPECT_EQ(outcome.offsetsHandled, 1u);
}

TEST(LinePass, CountsEveryOffset) {
    std::string data = "x x\nx\n";
    EXPECT_EQ(Lines(data, OffsetsOf(data, "x")).offsetsHandled, 3u);
}

// Windows of 1 to 7 bytes carry the line count, the line starts and the
// texts across every kind of boundary.
TEST(LinePass, AgreesWithTheOracleOnRandomDataWholeAndInWindows) {
    std::mt19937 random(11);
    const std::string alphabet = "ab \t\r\n\x01\xDC";
    for (int round = 0; round < 500; ++round) {
        std::string data(1 + random() % 400, ' ');
        for (char& c : data)
            c = alphabet[random() % alphabet.size()];
        std::vector<uint64_t> offsets;
        for (size_t i = 0; i < data.size(); ++i) {
            if (random() % 9 == 0) offsets.push_back(i);
        }
        const std::vector<RecordedLine> expected = NaiveLines(data, offsets);
        ASSERT_EQ(Lines(data, offsets).lines, expected) << "round " << round;
        const uint32_t window = 1 + random() % 7;
        ASSERT_EQ(Lines(data, offsets, 0, window).lines, expected)
            << "round " << round << " window " << window;
    }
}

// The search hands the pass its offsets in batches and, between two, has it
// count the lines up to where the search stands (before the next batch's
// first offset): the counting ahead keeps the line numbers, the line starts
// and so the texts, CR LF pairs cut anywhere and runs of more delimiters than
// a bulk count adds up at once included.
TEST(LinePass, CountingAheadBetweenBatchesAgreesWithTheOracle) {
    std::mt19937 random(12);
    const std::string alphabet = "ab \r\n\x01";
    for (int round = 0; round < 300; ++round) {
        std::string data(1 + random() % 400, ' ');
        for (char& c : data)
            c = alphabet[random() % alphabet.size()];
        // Every tenth round: few offsets, after a long run of delimiters.
        const bool sparse = round % 10 == 0;
        const size_t run = sparse ? 4200 + random() % 100 : 0;
        data.insert(0, run, round % 20 ? '\n' : '\r');
        std::vector<uint64_t> offsets;
        for (size_t i = run; i < data.size(); ++i) {
            if (random() % (sparse ? 2000 : 30) == 0) offsets.push_back(i);
        }
        std::vector<unsigned char> bytes(data.begin(), data.end());
        const uint32_t window = round % 3 ? 1 + random() % 7 : 0;
        MemoryWindows source(bytes.data(), bytes.size(), window);
        const unsigned char delimiter = LineDelimiterOf(bytes.data(), uint32_t(bytes.size()));
        LinePass pass(delimiter, 0);
        std::vector<HitLine> hits(offsets.size());
        std::vector<RecordedLine> lines;
        for (size_t first = 0; first <= offsets.size();) {
            // Ahead to the next offset (or the end), or to a point before it.
            const uint64_t next = first < offsets.size() ? offsets[first] : data.size();
            const uint64_t ahead =
                random() % 2 ? next : pass.Scanned() + random() % (next - pass.Scanned() + 1);
            while (pass.CountTo(source.WindowAt(pass.Scanned()), ahead)) {
            }
            ASSERT_EQ(pass.Scanned(), ahead) << "round " << round;
            if (first == offsets.size()) break;
            const size_t count = std::min<size_t>(1 + random() % 3, offsets.size() - first);
            pass.Start(offsets.data() + first, int32_t(count), hits.data());
            while (pass.Continue(source.WindowAt(pass.Scanned()))) {
            }
            for (int32_t i = 0; i < pass.Result().records; ++i) {
                LineTextReader text(hits[i].lineStart, delimiter);
                while (!text.Done())
                    text.Read(source.WindowAt(text.Position()));
                lines.push_back({hits[i].lineNumber, std::string(text.Text(), text.Length())});
            }
            first += count;
        }
        ASSERT_EQ(lines, NaiveLines(data, offsets)) << "round " << round << " window " << window;
    }
}

// The vector count of each build against a byte loop: stretches around its
// vectors and around 255 of them (4080 and 8160 bytes, where the lanes are
// summed), with no, every, sparse or only a first delimiter, from an aligned
// and an unaligned start.
TEST(LineEnds, CountsAndFindsTheLastTwo) {
    const uint32_t lengths[] = {0,    1,    15,   16,   17,   31,   32,   33,  65,
                                4079, 4080, 4081, 4097, 8159, 8160, 8161, 9000};
    const char* const fills[] = {"none", "every", "sparse", "first"};
    for (uint32_t length : lengths) {
        for (const char* fill : fills) {
            for (uint32_t from : {0u, 3u}) {
                std::string data(from + length, 'x');
                for (uint32_t i = from; i < data.size(); ++i) {
                    const uint32_t k = i - from;
                    if (fill[0] == 'e' || (fill[0] == 's' && k % 7 == 3) ||
                        (fill[0] == 'f' && k == 0))
                        data[i] = '\n';
                }
                LineEnds expected = {0, 0, 0};
                for (uint32_t i = from; i < data.size(); ++i) {
                    if (data[i] != '\n') continue;
                    ++expected.count;
                    expected.afterSecondLast = expected.afterLast;
                    expected.afterLast = i + 1;
                }
                if (expected.count < 2) expected.afterSecondLast = 0;
                for (VectorBuild build : {VectorBuild::sse2, VectorBuild::avx2}) {
                    if (!ProcessorOffers(build)) continue;
                    const LineEnds ends = CountLineEndsWith(
                        build, reinterpret_cast<const unsigned char*>(data.data()), from,
                        static_cast<uint32_t>(data.size()), '\n');
                    const std::string where = std::to_string(length) + " bytes, " + fill +
                                              ", from " + std::to_string(from) + ", build " +
                                              std::to_string(static_cast<int>(build));
                    EXPECT_EQ(ends.count, expected.count) << where;
                    EXPECT_EQ(ends.afterLast, expected.afterLast) << where;
                    EXPECT_EQ(ends.afterSecondLast, expected.afterSecondLast) << where;
                }
            }
        }
    }
}

// ---- Statistics

TEST(TextStatistics, CountsCharactersLinesAndBreaks) {
    struct Case {
        std::string data;
        TextStatistics expected; // realChars, totalChars, realLines, lineBreaks
    } cases[] = {
        {std::string("ab c\r\n\r\n  d", 11), {4, 11, 2, 4, 0}},
        {"x", {1, 1, 1, 0, 0}},
        {" \t\x01\xFF\n", {0, 5, 0, 1, 0}},
        {"\x7F\x21\x20\x80", {2, 4, 1, 0, 0}},
        {"a\rb\nc", {3, 5, 3, 2, 0}},
    };
    for (const Case& c : cases) {
        TextStatistics counts = {1, 2, 3, 4, 0}; // counts add to what is there
        CountTextStatistics(Bytes(c.data), static_cast<uint32_t>(c.data.size()), counts);
        EXPECT_EQ(counts.realChars, c.expected.realChars + 1) << c.data;
        EXPECT_EQ(counts.totalChars, c.expected.totalChars + 2) << c.data;
        EXPECT_EQ(counts.realLines, c.expected.realLines + 3) << c.data;
        EXPECT_EQ(counts.lineBreaks, c.expected.lineBreaks + 4) << c.data;
    }
}

} // namespace

// Text in UTF-8 or UTF-16 is searched as the same text in the code page: one
// corpus written in every encoding gives the same records and statistics in
// every search mode. The code page is Windows-1252 (natively its stand-in);
// the corpus uses characters that it spells as Latin-1 does.
#include "base/string.h"
#include "search/bytes_rule_out.h"
#include "search/file_windows.h"
#include "search/hit_record.h"
#include "search/search_file_text.h"
#include "search/text_encoding.h"
#include "tests/search/test_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Latin-1 text, so every byte is its own code point.
const std::string corpus = "int caf\xE9 = 1;\n"
                           "  \xFC"
                           "ber alles\r\n"
                           "Stra\xDF"
                           "e und Caf\xC9\r"
                           "\treturn caf\xE9; // RETURN\n"
                           "print(int_t) \xDF\r\n"
                           "last Stra\xDF"
                           "e";

std::string Utf8(const std::string& latin1) {
    std::string out;
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// UTF-16 (`width` 2) or UTF-32 (4) with its byte-order mark.
std::string Wide(const std::string& latin1, bool bigEndian, size_t width = 2) {
    std::string out = bigEndian ? std::string(width - 2, '\0') + "\xFE\xFF"
                                : "\xFF\xFE" + std::string(width - 2, '\0');
    for (unsigned char c : latin1) {
        std::string unit(width, '\0');
        unit[bigEndian ? width - 1 : 0] = static_cast<char>(c);
        out += unit;
    }
    return out;
}

struct Outcome {
    int result;
    std::vector<std::tuple<std::string, int32_t, std::string>> records;
    uint32_t counters[5];
    bool operator==(const Outcome& o) const {
        return result == o.result && records == o.records &&
               memcmp(counters, o.counters, sizeof counters) == 0;
    }
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    out << "result " << o.result << ", hits " << o.counters[0] << ", stats " << o.counters[1] << "/"
        << o.counters[2] << "/" << o.counters[3] << "/" << o.counters[4];
    for (const auto& r : o.records)
        out << "\n  " << std::get<0>(r) << "(" << std::get<1>(r) << "): " << std::get<2>(r);
    return out;
}

struct Mode {
    const char* name;
    const char* text;
    int stat, caseless, whole, regex, onlyFile;
};

// The file's windows, counting the times a pass asks for one before the
// one asked last: each such step back converts text again.
class StepCounter : public WindowSource {
public:
    explicit StepCounter(WindowSource& file) : _file(file) {}
    uint32_t MaxWindow() const override { return _file.MaxWindow(); }
    uint32_t Reach() const override { return _file.Reach(); }
    FileWindow WindowAt(uint64_t offset) override {
        // A character cut by a window's end is asked again a few bytes back.
        if (offset + 8 < _last) ++stepsBack;
        _last = offset;
        return _file.WindowAt(offset);
    }
    int stepsBack = 0;

private:
    WindowSource& _file;
    uint64_t _last = 0;
};

// `window`: the bytes of the converted windows, over file windows of 61
// bytes (0: the file whole, converted at once); `stepsBack` counts the
// file's windows asked again.
Outcome SearchIn(const Mode& mode, const std::string& bytes, uint32_t window = 0,
                 int* stepsBack = nullptr) {
    TestRun run;
    run.query.text = mode.text;
    run.query.statistics = mode.stat;
    run.query.caseInsensitive = mode.caseless;
    run.query.wholeWords = mode.whole;
    run.query.pattern = mode.regex;
    run.query.fileNamesOnly = mode.onlyFile;
    std::vector<unsigned char> data(bytes.begin(), bytes.end());
    Outcome outcome;
    MemoryWindows windows(data.data(), data.size(), window ? 61 : 0);
    StepCounter file(windows);
    outcome.result = window ? SearchFileText(String("C:\\T.TXT"), file, run.Search(), 16, window)
                            : SearchFileText(String("C:\\T.TXT"), data.data(),
                                             static_cast<uint32_t>(data.size()), run.Search());
    for (GrepInfo* g = run.results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
        outcome.records.emplace_back(g->_fileName, g->_lineNumber, g->_lineText);
    const uint32_t counters[5] = {run.results.counters.hitCount, run.results.counters.realChars,
                                  run.results.counters.totalChars, run.results.counters.realLines,
                                  run.results.counters.lineBreaks};
    memcpy(outcome.counters, counters, sizeof counters);
    if (stepsBack) *stepsBack = file.stepsBack;
    return outcome;
}

TEST(TextEncoding, EveryEncodingGivesTheRecordsAndStatisticsOfTheCodePage) {
    const Mode modes[] = {
        {"plain", "caf\xE9", 0, 0, 0, 0, 0},
        {"case-insensitive", "return", 0, 1, 0, 0, 0},
        {"whole words", "int", 0, 0, 1, 0, 0},
        {"pattern past UTF-16's zero bytes", "Stra\xDF[a-z]", 0, 0, 0, 1, 0},
        {"file names only", "\xDF", 0, 0, 0, 0, 1},
        {"statistics", "*", 1, 0, 0, 0, 0},
    };
    const std::pair<const char*, std::string> encodings[] = {
        {"UTF-8", Utf8(corpus)},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Utf8(corpus)},
        {"UTF-16 LE", Wide(corpus, false)},
        {"UTF-16 BE", Wide(corpus, true)},
        {"UTF-32 LE", Wide(corpus, false, 4)},
        {"UTF-32 BE", Wide(corpus, true, 4)},
    };
    for (const Mode& mode : modes) {
        const Outcome expected = SearchIn(mode, corpus);
        EXPECT_TRUE(mode.stat || !expected.records.empty()) << mode.name;
        for (const auto& encoding : encodings)
            EXPECT_EQ(SearchIn(mode, encoding.second), expected)
                << mode.name << " in " << encoding.first;
    }
}

// Converted a window at a time, the text is that of the file converted
// whole: characters cut by the file's windows (of 61 bytes) and by the
// converted ones are converted once, and lines, texts and counts come out
// the same, in windows of several sizes over many copies of the corpus.
TEST(TextEncoding, ConversionInWindowsGivesTheTextConvertedWhole) {
    const Mode modes[] = {
        {"plain", "caf\xE9", 0, 0, 0, 0, 0},
        {"case-insensitive", "STRA\xDF", 0, 1, 0, 0, 0},
        {"pattern", "[a-z]+ \xFC", 0, 0, 0, 1, 0},
        {"statistics", "*", 1, 0, 0, 0, 0},
    };
    std::string corpora;
    for (int i = 0; i < 200; ++i)
        corpora += corpus + std::string(i % 7, 'x') + "\n";
    const std::pair<const char*, std::string> encodings[] = {
        {"UTF-8", "\xEF\xBB\xBF" + Utf8(corpora)},
        {"UTF-8, mark by detection", Utf8(corpora)},
        {"UTF-16 BE", Wide(corpora, true)},
        {"UTF-32 LE", Wide(corpora, false, 4)},
    };
    for (const Mode& mode : modes) {
        const Outcome expected = SearchIn(mode, corpora);
        for (const auto& encoding : encodings)
            for (uint32_t window : {2048u, 4099u})
                EXPECT_EQ(SearchIn(mode, encoding.second, window), expected)
                    << mode.name << " in " << encoding.first << ", windows of " << window;
    }
}

// A file is ruled out before its encoding is told only where its bytes
// cannot hold the text (or a pattern's run of bytes) in any encoding it may
// have: not for a text with '?' or bytes beyond ASCII (a converted character
// could give them), not for UTF-16, and not in sliding windows.
TEST(TextEncoding, BytesRuleOutOnlyFilesThatCannotHoldTheText) {
    const std::string utf8 = "caf\xC3\xA9 return 0;\n";
    const std::string utf16 = std::string("\xFF\xFEx\0y\0z\0", 8);
    struct Case {
        const char* name;
        std::string bytes;
        const char* text;
        int caseless, whole, regex;
        uint32_t window; // 0: the file whole
        bool ruledOut;
    } cases[] = {
        {"UTF-8 holding the text", utf8, "return", 0, 0, 0, 0, false},
        {"UTF-8 without it", utf8, "xyz", 0, 0, 0, 0, true},
        {"with a mark, without it", "\xEF\xBB\xBF" + utf8, "xyz", 0, 0, 0, 0, true},
        {"ignoring case", utf8, "RETURN", 1, 0, 0, 0, false},
        {"a part of a word, whole words", utf8, "retur", 0, 1, 0, 0, false},
        {"'?' may come of a conversion", utf8, "?", 0, 0, 0, 0, false},
        {"a text beyond ASCII", utf8, "caf\xE9", 0, 0, 0, 0, false},
        {"a pattern whose run of bytes they hold", utf8, "ret.rn", 0, 0, 1, 0, false},
        {"a pattern whose run they do not hold", utf8, "[a-z]+_lock\\(", 0, 0, 1, 0, true},
        {"a pattern's run keeps its case", utf8, "RET.RN", 1, 0, 1, 0, true},
        {"a pattern without a run", utf8, "[xyz]+", 0, 0, 1, 0, false},
        {"UTF-16", utf16, "xyz", 0, 0, 0, 0, false},
        {"sliding windows", utf8, "xyz", 0, 0, 0, 7, false},
    };
    for (const Case& c : cases) {
        TestRun run;
        run.query.text = c.text;
        run.query.caseInsensitive = c.caseless;
        run.query.wholeWords = c.whole;
        run.query.pattern = c.regex;
        std::vector<unsigned char> data(c.bytes.begin(), c.bytes.end());
        MemoryWindows file(data.data(), data.size(), c.window);
        EXPECT_EQ(BytesRuleOut(file, run.Search()), c.ruledOut) << c.name;
    }
}

// The detection steps over ASCII 64 and 16 bytes at a time: one character
// beyond ASCII at any offset of those steps and their tails is seen.
TEST(TextEncoding, DetectionSeesOneCharacterBeyondAsciiAnywhere) {
    for (size_t at = 0; at + 2 <= 150; ++at) {
        std::string bytes(150, 'a');
        bytes.replace(at, 2, "\xC3\xA9");
        EXPECT_EQ(
            DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()),
            TextEncoding::utf8)
            << "at " << at;
    }
}

TEST(TextEncoding, DetectionAndConversion) {
    struct Case {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        std::string converted;
    } cases[] = {
        {"empty", "", TextEncoding::codePage, ""},
        {"ASCII", "a\r\nb", TextEncoding::codePage, "a\r\nb"},
        {"a lone code page byte", "caf\xE9", TextEncoding::codePage, "caf\xE9"},
        {"an overlong form", "a\xC0\x80", TextEncoding::codePage, "a\xC0\x80"},
        {"a UTF-8 surrogate", "\xED\xA0\x80", TextEncoding::codePage, "\xED\xA0\x80"},
        {"a sequence cut short at the end", "\xC3", TextEncoding::codePage, "\xC3"},
        {"UTF-8 outside the code page", "\xE6\x97\xA5\xE6\x9C\xAC.txt \xF0\x9F\x98\x80!",
         TextEncoding::utf8, "??.txt ?!"},
        {"a malformed byte under a mark", "\xEF\xBB\xBF\xE9x", TextEncoding::utf8WithMark, "?x"},
        {"UTF-16 pair, lone surrogate, odd byte",
         std::string("\xFF\xFE\x3D\xD8\x00\xDE\x00\xD8\x41\x00\x42", 11), TextEncoding::utf16Le,
         "??A"},
        {"UTF-16 outside the code page", std::string("\xFE\xFF\x03\xA9\x00\xFC", 6),
         TextEncoding::utf16Be, "?\xFC"},
        // One '?' per maximal ill-formed subsequence: a sequence cut short,
        // a lead that no sequence has, a second byte out of its lead's range.
        {"maximal subparts",
         "\xEF\xBB\xBF\xE2\x82"
         "A\xC0\xAF\xED\xA0\x80\xF0\x9F\x98",
         TextEncoding::utf8WithMark, "?A??????"},
        {"UTF-32 with a code point past U+FFFF and a cut unit",
         std::string("\xFF\xFE\0\0\xE9\0\0\0\x00\xF6\x01\x00\x41\0\0\0\x42", 17),
         TextEncoding::utf32Le, "\xE9?A"},
        {"UTF-32 BE", std::string("\0\0\xFE\xFF\0\0\0\x41\0\0\xD8\0", 12), TextEncoding::utf32Be,
         "A?"},
    };
    for (const Case& c : cases) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
        EXPECT_EQ(DetectEncoding(bytes, c.bytes.size()), c.encoding) << c.name;
        std::vector<unsigned char> out(c.bytes.size() + 1);
        const size_t length = ConvertToCodePage(c.encoding, bytes, c.bytes.size(), out.data());
        EXPECT_EQ(std::string(out.begin(), out.begin() + length), c.converted) << c.name;
    }
}

// The search and its line pass go through the converted text together: a
// file is converted once, as its statistics convert it, whether its matches
// are many, few, far apart or none, and the records stay those of the code
// page. Windows of 512 KiB are read in several pieces each, so the line pass
// also reaches the part of a window that the source slides past.
TEST(TextEncoding, ConvertedTextIsConvertedOnce) {
    const Mode modes[] = {
        {"plain, dense", "cr\xE8me", 0, 0, 0, 0, 0},
        {"plain, one match at the end", "needle", 0, 0, 0, 0, 0},
        {"plain, no match", "absent", 0, 0, 0, 0, 0},
        {"pattern, dense", "line [0-9]+ cr", 0, 0, 0, 1, 0},
        {"pattern, one match at the end", "ne+dle", 0, 0, 0, 1, 0},
    };
    const Mode statistics = {"statistics", "*", 1, 0, 0, 0, 0};
    const struct {
        uint32_t window;
        int lines; // of about 20 bytes
    } sizes[] = {{2048, 3000}, {4099, 3000}, {512u << 10, 60000}};
    for (const auto& size : sizes) {
        std::string corpora;
        for (int i = 0; i < size.lines; ++i)
            corpora += "caf\xE9 line " + std::to_string(i) + (i % 5 ? "\n" : " cr\xE8me\n");
        corpora += "needle at the end\n";
        int once = 0;
        SearchIn(statistics, Utf8(corpora), size.window, &once);
        for (const Mode& mode : modes) {
            int stepsBack = 0;
            EXPECT_EQ(SearchIn(mode, Utf8(corpora), size.window, &stepsBack),
                      SearchIn(mode, corpora))
                << mode.name;
            EXPECT_EQ(stepsBack, once) << mode.name << ", windows of " << size.window;
        }
    }
}

} // namespace

// Text in UTF-8 or UTF-16 is searched as the same text in the code page: one
// corpus written in every encoding gives the same records and statistics in
// every search mode. The code page is Windows-1252 under Windows and Latin-1
// natively; the corpus uses characters both spell alike.
#include "base/string.h"
#include "search/decoded_search.h"
#include "search/grep_info.h"
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

std::string Utf16(const std::string& latin1, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (unsigned char c : latin1) {
        const char units[2] = {static_cast<char>(bigEndian ? 0 : c),
                               static_cast<char>(bigEndian ? c : 0)};
        out.append(units, 2);
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

Outcome SearchIn(const Mode& mode, const std::string& bytes) {
    TestRun run;
    run.query.text = mode.text;
    run.query.statistics = mode.stat;
    run.query.caseInsensitive = mode.caseless;
    run.query.wholeWords = mode.whole;
    run.query.pattern = mode.regex;
    run.query.fileNamesOnly = mode.onlyFile;
    std::vector<unsigned char> data(bytes.begin(), bytes.end());
    Outcome outcome;
    outcome.result = SearchFileText(String("C:\\T.TXT"), data.data(),
                                    static_cast<uint32_t>(data.size()), run.Search());
    for (GrepInfo* g = run.results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
        outcome.records.emplace_back(g->_fileName, g->_lineNumber, g->_lineText);
    const uint32_t counters[5] = {run.results.counters.hitCount, run.results.counters.realChars,
                                  run.results.counters.totalChars, run.results.counters.realLines,
                                  run.results.counters.lineBreaks};
    memcpy(outcome.counters, counters, sizeof counters);
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
        {"UTF-16 LE", Utf16(corpus, false)},
        {"UTF-16 BE", Utf16(corpus, true)},
    };
    for (const Mode& mode : modes) {
        const Outcome expected = SearchIn(mode, corpus);
        EXPECT_TRUE(mode.stat || !expected.records.empty()) << mode.name;
        for (const auto& encoding : encodings)
            EXPECT_EQ(SearchIn(mode, encoding.second), expected)
                << mode.name << " in " << encoding.first;
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
    };
    for (const Case& c : cases) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
        EXPECT_EQ(DetectEncoding(bytes, c.bytes.size()), c.encoding) << c.name;
        std::vector<unsigned char> out(c.bytes.size() + 1);
        const size_t length = ConvertToCodePage(c.encoding, bytes, c.bytes.size(), out.data());
        EXPECT_EQ(std::string(out.begin(), out.begin() + length), c.converted) << c.name;
    }
}

} // namespace

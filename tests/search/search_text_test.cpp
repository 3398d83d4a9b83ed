// The per-file search over bytes in memory: the choice of method, the
// records it appends to run.results.hitList, the counters, file-names-only mode, the
// offset limit and statistics.
#include "base/string.h"
#include "search/file_windows.h"
#include "search/hit_record.h"
#include "search/regexp.h"
#include "search/search_pulse.h"
#include "search/search_text.h"
#include "search/word_chars.h"
#include "tests/search/reference_lines.h"
#include "tests/search/regexp_reference.h"
#include "tests/search/test_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Record {
    std::string fileName;
    int32_t lineNumber;
    std::string lineText;
    bool operator==(const Record& o) const {
        return fileName == o.fileName && lineNumber == o.lineNumber && lineText == o.lineText;
    }
};

std::ostream& operator<<(std::ostream& out, const Record& r) {
    return out << r.fileName << "(" << r.lineNumber << "): \"" << r.lineText << "\"";
}

class FileTextSearch : public ::testing::Test {
protected:
    void Find(const char* text) { run.query.text = text; }

    // Searches `data` as the file F.C, read whole; returns SearchFileWindows's
    // result.
    int Search(const std::string& data, SearchPulse* pulse = nullptr) {
        std::vector<unsigned char> exact(data.begin(), data.end());
        MemoryWindows whole(exact.data(), static_cast<uint32_t>(exact.size()));
        return SearchFileWindows(String("C:\\D\\F.C"), whole, run.Search(pulse));
    }

    std::vector<Record> Records() {
        std::vector<Record> records;
        for (GrepInfo* g = run.results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g)) {
            records.push_back({g->_fileName, g->_lineNumber, g->_lineText});
        }
        return records;
    }

    TestRun run;
};

TEST_F(FileTextSearch, FileNamesOnlyGivesOneEmptyRecordPerFile) {
    run.query.fileNamesOnly = 1;
    Find("x");
    EXPECT_EQ(Search("a\nb\nx x\nc\nd\ne\nx x x\n"), 1);
    EXPECT_EQ(Records(), (std::vector<Record>{{"C:\\D\\F.C", 1, ""}}));
    EXPECT_EQ(run.results.counters.hitCount, 1u);
}

// The offsets come in batches of 10000: every match of the file counts,
// plainly and as a pattern; file names only still gives one record.
TEST_F(FileTextSearch, EveryMatchOfAFileCounts) {
    std::string data;
    for (int i = 0; i < 100000; ++i)
        data += "x alpha\n";
    const struct {
        int pattern, onlyFile;
        int records;
        uint32_t hits;
    } cases[] = {{0, 0, 100000, 100000}, {1, 0, 100000, 100000}, {0, 1, 1, 1}, {1, 1, 1, 1}};
    for (const auto& c : cases) {
        run.results.hitList.DeleteAll();
        run.results.counters = RunCounterSet();
        run.query.pattern = c.pattern;
        run.query.fileNamesOnly = c.onlyFile;
        Find(c.pattern ? "al.ha" : "alpha");
        EXPECT_EQ(Search(data), c.records) << c.pattern << c.onlyFile;
        EXPECT_EQ(run.results.counters.hitCount, c.hits) << c.pattern << c.onlyFile;
        EXPECT_EQ(run.results.hitList.GetTail()->_lineNumber, c.onlyFile ? 1 : 100000);
    }
}

// Windows-1252's letters (the code page under Wine, the native stand-in's
// tables): both cases of a letter match, whether they differ in bit 0x20 or
// not (Š and š, Ÿ and ÿ), × and ÷ stay apart, and é is a word character. A
// long first line takes the vector scan.
TEST_F(FileTextSearch, CaseAndWordsFollowTheCodePage) {
    const struct {
        const char* text;
        std::string data;
        int caseless, whole;
        std::vector<int32_t> lines;
    } cases[] = {
        {"\xE4"
         "bc",
         "\xC4"
         "bc\n\xE4"
         "BC\n\xE4"
         "bc\nabc\n",
         1,
         0,
         {2, 3, 4}},
        {"\x9Ax\xFF", "\x8AX\x9F\n\x9Ax\xFF\nsx\xFF\n", 1, 0, {2, 3}},
        {"\xD7", "\xF7\n\xD7\n", 1, 0, {3}},
        {"caf", "caf\xE9\ncaf\n", 0, 1, {3}},
        {"caf\xE9", "CAF\xC9\ncafe\n", 1, 0, {2}},
    };
    for (const auto& c : cases) {
        run.results.hitList.DeleteAll();
        run.query.caseInsensitive = c.caseless;
        run.query.wholeWords = c.whole;
        Find(c.text);
        Search(std::string(70, '.') + "\n" + c.data);
        std::vector<int32_t> lines;
        for (const Record& record : Records())
            lines.push_back(record.lineNumber);
        EXPECT_EQ(lines, c.lines) << c.text;
    }
}

TEST_F(FileTextSearch, RegExWithAWordOnlyTextIsAPlainSearch) {
    run.query.pattern = run.query.caseInsensitive = run.query.wholeWords = 1;
    Find("abc");
    EXPECT_EQ(Search("ABC\nxabc\naBc.\n"), 2);
    EXPECT_EQ(Records()[1].lineNumber, 3);
}

TEST_F(FileTextSearch, PatternSearchIsCaseSensitiveAndLeavesTheCaseSettingAlone) {
    run.query.pattern = run.query.caseInsensitive = 1;
    Find("a.c");
    EXPECT_EQ(Search("AbC\nabc\naXc\n"), 2);
    EXPECT_EQ(Records()[0].lineNumber, 2);
    EXPECT_EQ(String::IsCaseSensitive(), 1);
}

TEST_F(FileTextSearch, PatternSearchStopsAtTheFirstZeroByte) {
    run.query.pattern = 1;
    Find("a.c");
    std::string data(200, '.');
    data.replace(10, 3, "abc");
    data[100] = 0;
    data.replace(150, 3, "abc");
    EXPECT_EQ(Search(data), 1);
    EXPECT_EQ(run.results.counters.hitCount, 1u);
}

TEST_F(FileTextSearch, PatternMatchesMayOverlapAndHonourWholeWords) {
    run.query.pattern = 1;
    Find("a.a");
    EXPECT_EQ(Search("ababa\n"), 1);
    EXPECT_EQ(run.results.counters.hitCount, 2u);
    run.query.wholeWords = 1;
    Find("b.b");
    EXPECT_EQ(Search("xbab bcb\n"), 1);
    EXPECT_EQ(run.results.counters.hitCount, 3u);
}

// A match stays on its line, in LF, CR LF and CR text alike: `.` and a
// complemented class take no line end; only a pattern that names one does.
// The last line has no line end.
TEST_F(FileTextSearch, PatternsStayOnTheirLines) {
    using Lines = std::vector<int32_t>;
    const Lines all = {1, 2, 3, 4};
    const struct {
        const char* pattern;
        Lines lf, crLf, cr;
    } cases[] = {
        {".", all, all, all},
        {"[^x]", all, all, all},
        {"[^;]$", {2, 4}, {2, 4}, {2, 4}},
        {"[^a-z]", {1, 3}, {1, 3}, {1, 3}},
        {"b[^x]*c", {}, {}, {}},
        {";.c", {}, {}, {}},
        {"\\n", {1, 2, 3}, {1, 2, 3}, {}},
        {"[\\n]", {1, 2, 3}, {1, 2, 3}, {}},
        {"[\\r\\n]c", {1}, {1}, {1}},
        {"$", all, all, all},
        {"[a-z]*$", all, all, all},
    };
    run.query.pattern = 1;
    for (const auto& c : cases) {
        const std::pair<const char*, const Lines&> ends[] = {
            {"\n", c.lf}, {"\r\n", c.crLf}, {"\r", c.cr}};
        for (const auto& end : ends) {
            run.results.hitList.DeleteAll();
            Find(c.pattern);
            const std::string e = end.first;
            Search("ab;" + e + "cd" + e + "x;" + e + "y");
            Lines lines;
            for (const Record& record : Records())
                lines.push_back(record.lineNumber);
            EXPECT_EQ(lines, end.second) << c.pattern << " with line end " << e.size();
        }
    }
}

TEST_F(FileTextSearch, PatternAtTheVeryEndNeverReachesPastTheText) {
    run.query.pattern = 1;
    Find("c$");
    EXPECT_EQ(Search("abc"), 1);
    Find("x*");
    EXPECT_GE(Search("ab"), 0);
}

// The same file searched whole and through windows of a few bytes: the
// same records, counters and results in every mode, the offset limit
// included. Pattern matches here are shorter than the reach.
TEST_F(FileTextSearch, SlidingWindowsGiveTheResultsOfTheWholeFile) {
    struct Outcome {
        int result;
        std::vector<Record> records;
        RunCounterSet counters;
    };
    auto searchWith = [&](const std::string& data, uint32_t window) {
        run.results.hitList.DeleteAll();
        run.results.counters = RunCounterSet();
        std::vector<unsigned char> exact(data.begin(), data.end());
        MemoryWindows source(exact.data(), exact.size(), window);
        Outcome outcome;
        outcome.result = SearchFileWindows(String("C:\\F.C"), source, run.Search(), 5);
        outcome.records = Records();
        outcome.counters = run.results.counters;
        return outcome;
    };
    auto agree = [&](const std::string& data, uint32_t window, const std::string& what) {
        Outcome whole = searchWith(data, 0), windowed = searchWith(data, window);
        ASSERT_EQ(whole.result, windowed.result) << what;
        ASSERT_EQ(whole.records, windowed.records) << what;
        ASSERT_EQ(0, memcmp(&whole.counters, &windowed.counters, sizeof(RunCounterSet))) << what;
    };

    std::string many;
    for (int i = 0; i < 6000; ++i)
        many += "x;x\n";
    Find("x");
    agree(many, 64, "12000 plain matches");
    run.query.pattern = 1;
    Find("x;?");
    agree(many, 64, "12000 pattern matches");

    std::mt19937 random(5);
    const std::string alphabet = std::string("ab_ \t\r\n\x01\xC1", 9) + std::string(1, '\0');
    const char* patterns[] = {"a.b",    "[ab]_", "^a", "b$", "a\\.", "ab?a",
                              "[^ab]a", " a",    "^",  "$",  "x*",   "^b?a"};
    for (int round = 0; round < 3000; ++round) {
        std::string data(1 + random() % 200, ' ');
        for (char& c : data) // zero bytes rarely, so that patterns see text
            c = alphabet[random() % (random() % 20 ? alphabet.size() - 1 : alphabet.size())];
        run.query.statistics = random() % 8 == 0;
        run.query.pattern = random() % 2;
        run.query.caseInsensitive = random() % 2;
        run.query.wholeWords = random() % 2;
        run.query.fileNamesOnly = random() % 4 == 0;
        if (run.query.pattern) {
            Find(patterns[random() % 12]);
        } else {
            std::string text(1 + random() % 4, ' ');
            for (char& c : text)
                c = "abAB_"[random() % 5];
            Find(text.c_str());
        }
        const uint32_t window = 8 + random() % 16;
        agree(data, window, "round " + std::to_string(round) + " window " + std::to_string(window));
    }
}

// ---- Pattern search against a straightforward reference

// The records of a pattern search the direct way: the backtracking matcher
// started at the file's start and again one byte after each match, as one
// search (its start anchor and empty-match length keep the file's start as
// their origin), an empty match at the end of a last line without a line
// end, the whole-word test, then the lines.
std::vector<Record> ReferenceRecords(const std::string& data, const char* pattern,
                                     int wholeWordsOnly, uint32_t* hits) {
    const std::string text = data.substr(0, data.find('\0'));
    auto isWord = [&](size_t i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        return WordChars()[c] != 0;
    };
    auto accepted = [&](size_t offset, size_t end) {
        return !wholeWordsOnly || (end <= data.size() && (offset == 0 || !isWord(offset - 1)) &&
                                   (end == data.size() || !isWord(end)));
    };
    TRegexp regexp(pattern);
    std::vector<uint64_t> offsets;
    for (int start = 0; start < static_cast<int>(text.size());) {
        ReferenceResult found =
            ReferenceFind(regexp.GetPattern(), regexp.GetStatus(), text.c_str(), start, -1, 0);
        if (found.offset < 0) break;
        if (accepted(found.offset, found.offset + found.length))
            offsets.push_back(static_cast<uint64_t>(found.offset));
        start = found.offset + 1;
    }
    const int length = static_cast<int>(text.size());
    if (length > 0 && text.back() != '\n' && text.back() != '\r' &&
        ReferenceEmptyAtEnd(regexp.GetPattern(), regexp.GetStatus(), text.c_str()) &&
        accepted(length, length))
        offsets.push_back(static_cast<uint64_t>(length));
    *hits = static_cast<uint32_t>(offsets.size());
    std::vector<Record> records;
    for (const RecordedLine& line : NaiveLines(data, offsets))
        records.push_back({"C:\\D\\F.C", line.lineNumber, line.text});
    return records;
}

// Lines joined by `end`, with or without a last line end.
std::string Joined(const std::vector<std::string>& lines, const std::string& end, bool last) {
    std::string data;
    for (size_t i = 0; i < lines.size(); ++i)
        data += lines[i] + (i + 1 < lines.size() || last ? end : "");
    return data;
}

TEST_F(FileTextSearch, PatternSearchEqualsTheReference) {
    const std::vector<std::string> lines = {"#include <a.h>", "",   "int b;", "  x ab;", "xx", "",
                                            "#include \"c\"", "a;b"};
    std::vector<std::pair<std::string, std::string>> files; // name, data
    for (const char* end : {"\n", "\r\n", "\r"}) {
        for (bool last : {true, false}) {
            files.push_back({std::string(end == std::string("\n") ? "LF"
                                         : end[1]                 ? "CR LF"
                                                                  : "CR") +
                                 (last ? "" : ", no last end"),
                             Joined(lines, end, last)});
        }
    }
    files.push_back({"CR LF LF", "a;\r\n\nb;\r\n\r\n\n#include x\r\n"});
    files.push_back({"no CR in the first 160 bytes",
                     "/*" + std::string(170, ' ') + "*/\n#include a\r\nb;\r\n\r\nx;\r\n"});
    const char* patterns[] = {"x*", "x*$",  "$",  "[a-z]*",  "^",     "^#include", ";$", "^a",
                              "b$", "a?b;", "^$", "^[^\\n]", "^\\n$", "[^a-z]*;$", "a?$"};
    run.query.pattern = 1;
    for (const auto& file : files) {
        for (const char* pattern : patterns) {
            for (int ww : {0, 1}) {
                SCOPED_TRACE(file.first + ", pattern " + pattern + (ww ? ", whole words" : ""));
                run.results.hitList.DeleteAll();
                run.results.counters = RunCounterSet();
                run.query.wholeWords = ww;
                Find(pattern);
                uint32_t hits = 0;
                const std::vector<Record> expected =
                    ReferenceRecords(file.second, pattern, ww, &hits);
                EXPECT_EQ(Search(file.second), static_cast<int>(expected.size()));
                EXPECT_EQ(Records(), expected);
                EXPECT_EQ(run.results.counters.hitCount, hits);
            }
        }
    }
}

TEST_F(FileTextSearch, PatternSearchEqualsTheReferenceOnRandomFiles) {
    std::mt19937 random(26);
    const std::string alphabet = std::string("ab;x_ \t\r\n\r\n", 11) + std::string(1, '\0');
    const char* patterns[] = {"a*",   "^a",   "b$",   "^$",        "a?b",  "x?a?b?;",
                              "^;*$", "[^a]", "a.*b", "^[ab]*\\r", "\\n^", "b*x*$"};
    run.query.pattern = 1;
    for (int round = 0; round < 3000; ++round) {
        std::string data(1 + random() % 60, ' ');
        for (char& c : data)
            c = alphabet[random() % (random() % 30 ? alphabet.size() - 1 : alphabet.size())];
        const char* pattern = patterns[random() % 12];
        run.query.wholeWords = random() % 2;
        run.results.hitList.DeleteAll();
        run.results.counters = RunCounterSet();
        Find(pattern);
        uint32_t hits = 0;
        const std::vector<Record> expected =
            ReferenceRecords(data, pattern, run.query.wholeWords, &hits);
        Search(data);
        ASSERT_EQ(Records(), expected) << "round " << round << " pattern " << pattern;
        ASSERT_EQ(run.results.counters.hitCount, hits) << "round " << round;
    }
}

// The cases that went wrong when an empty match ended the search, when the
// start anchor held where the search went on after a match, and when the LF of
// a CR LF pair was taken for the start of the next line.
TEST_F(FileTextSearch, EmptyMatchesAnchorsAndLineEnds) {
    struct Case {
        const char* pattern;
        std::string data;
        std::vector<int32_t> lines;
        uint32_t hits;
    } cases[] = {
        {"x*$", "abc\nddx\n", {1, 2}, 3},
        {"$", "ab\ncd", {1, 2}, 2},
        {"[a-z]*$", "ab;\ncd;", {1, 2}, 2},
        {"$", "ab\r\ncd\r\n", {1, 2}, 4},
        {"^a", "aaa", {1}, 1},
        {"^#include", "#include a\r\n#include b\r\nint c;\r\n#include d", {1, 2, 4}, 3},
        {"^#include", "#include a\n#include b\nint c;\n#include d", {1, 2, 4}, 3},
        {";$", "a;\r\nb;\r\nc;", {1, 2, 3}, 3},
    };
    run.query.pattern = 1;
    for (const Case& c : cases) {
        run.results.hitList.DeleteAll();
        run.results.counters = RunCounterSet();
        Find(c.pattern);
        Search(c.data);
        std::vector<int32_t> lines;
        for (const Record& record : Records())
            lines.push_back(record.lineNumber);
        EXPECT_EQ(lines, c.lines) << c.pattern;
        EXPECT_EQ(run.results.counters.hitCount, c.hits) << c.pattern;
    }
}

// One match start per byte: the a, and the empty match before each LF.
TEST_F(FileTextSearch, PatternMatchesAtEveryByteAllCount) {
    std::string data;
    for (int i = 0; i < 12000; ++i)
        data += "a\n";
    run.query.pattern = 1;
    Find("[^x]*");
    EXPECT_EQ(Search(data), 12000);
    EXPECT_EQ(run.results.counters.hitCount, 24000u);
    EXPECT_EQ(run.results.hitList.GetTail()->_lineNumber, 12000);
}

// Every position of the line starts a match that runs to its end; restarting
// the matcher after each one cost the line's length each time. A regression
// shows as a test that hangs.
TEST_F(FileTextSearch, LongLineWithAMatchAtEveryByteCostsItsLength) {
    run.query.pattern = 1;
    Find("a.*b");
    EXPECT_EQ(Search(std::string(4 << 20, 'a') + "b"), 1);
    EXPECT_EQ(run.results.counters.hitCount, 4u << 20);
}

// ---- Pulse

// Counts its calls and asks to stop at the `stopAt`-th (0: never).
class CountingPulse : public SearchPulse {
public:
    explicit CountingPulse(int stopAt) : _stopAt(stopAt) {}
    int Pulse() override { return ++calls == _stopAt; }
    int calls = 0;

private:
    int _stopAt;
};

// Every kind of search pulses at least every 64 KiB; a stop keeps the
// records found before it, the first ones of the whole file.
TEST_F(FileTextSearch, PulsesEvery64KiBAndAStopKeepsAPrefix) {
    std::string data;
    for (int line = 0; data.size() < (1u << 20); ++line)
        data += line % 50 ? "int abc;\r\n" : "  return xyz;\r\n";
    struct Mode {
        const char* name;
        int regEx, stat;
        const char* text;
    } modes[] = {{"plain", 0, 0, "xyz"},
                 {"pattern", 1, 0, "^ *r[^;]*;$"},
                 {"sparse pattern", 1, 0, "q.*"},
                 {"statistics", 0, 1, "x"},
                 {"whole-word plain", 0, 0, "return"}};
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.name);
        run.query.pattern = mode.regEx;
        run.query.statistics = mode.stat;
        run.query.wholeWords = mode.text == std::string("return");
        Find(mode.text);
        run.results.hitList.DeleteAll();
        run.results.counters = RunCounterSet();
        CountingPulse never(0);
        Search(data, &never);
        EXPECT_GE(never.calls, static_cast<int>(data.size() / pulseInterval));
        const std::vector<Record> all = Records();
        const uint32_t allChars = run.results.counters.totalChars;

        run.results.hitList.DeleteAll();
        run.results.counters = RunCounterSet();
        CountingPulse early(3);
        Search(data, &early);
        EXPECT_EQ(early.calls, 3);
        const std::vector<Record> kept = Records();
        EXPECT_LE(kept.size(), all.size());
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin()));
        if (mode.stat) {
            EXPECT_LT(run.results.counters.totalChars, allChars);
        }
    }
}

} // namespace

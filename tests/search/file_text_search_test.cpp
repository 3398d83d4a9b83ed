// The per-file search over bytes in memory: the choice of method, the
// records it appends to hitList, the counters, file-names-only mode, the
// offset limit and statistics.
#include "base/string.h"
#include "search/file_text_search.h"
#include "search/file_windows.h"
#include "search/grep_info.h"
#include "search/search_params.h"

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
    void SetUp() override {
        hitList.DeleteAll();
        RunCounters = RunCounterSet();
        statMode = caseInsensitive = wholeWords = useRegEx = onlyFileNames = 0;
        String::SetCaseSensitive(1);
    }
    void TearDown() override { hitList.DeleteAll(); }

    void Find(const char* text) { strcpy(searchText, text); }

    // Searches `data` as the file F.C; returns SearchFileBytes's result.
    int Search(const std::string& data) {
        std::vector<unsigned char> exact(data.begin(), data.end());
        return SearchFileBytes(String("C:\\D\\F.C"), exact.data(),
                               static_cast<uint32_t>(exact.size()));
    }

    static std::vector<Record> Records() {
        std::vector<Record> records;
        for (GrepInfo* g = hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g)) {
            records.push_back({g->_fileName, g->_lineNumber, g->_lineText});
        }
        return records;
    }
};

TEST_F(FileTextSearch, TwoOccurrencesOnOneLineGiveOneRecordAndTwoHits) {
    Find("abc");
    EXPECT_EQ(Search("x\n  abc abc\ny"), 1);
    EXPECT_EQ(Records(), (std::vector<Record>{{"C:\\D\\F.C", 2, "abc abc"}}));
    EXPECT_EQ(RunCounters.hitCount, 2u);
}

TEST_F(FileTextSearch, RecordsAddToThoseOfEarlierFiles) {
    Find("a");
    EXPECT_EQ(Search("a\na\n"), 2);
    EXPECT_EQ(Search("b\na\n"), 1);
    EXPECT_EQ(hitList._count, 3);
    EXPECT_EQ(RunCounters.hitCount, 3u);
}

TEST_F(FileTextSearch, NothingFoundAddsNothing) {
    Find("zzz");
    EXPECT_EQ(Search("abc\n"), 0);
    EXPECT_EQ(hitList._count, 0);
    EXPECT_EQ(RunCounters.hitCount, 0u);
}

TEST_F(FileTextSearch, FileNamesOnlyGivesOneEmptyRecordPerFile) {
    onlyFileNames = 1;
    Find("x");
    EXPECT_EQ(Search("a\nb\nx x\nc\nd\ne\nx x x\n"), 1);
    EXPECT_EQ(Records(), (std::vector<Record>{{"C:\\D\\F.C", 1, ""}}));
    EXPECT_EQ(RunCounters.hitCount, 1u);
}

TEST_F(FileTextSearch, OnlyTheFirstTenThousandOffsetsCount) {
    std::string data;
    for (int i = 0; i < 12000; ++i)
        data += "x\n";
    Find("x");
    EXPECT_EQ(Search(data), 10000);
    EXPECT_EQ(RunCounters.hitCount, 10000u);
    EXPECT_EQ(hitList.GetTail()->_lineNumber, 10000);
}

TEST_F(FileTextSearch, CaseFoldingKnowsAsciiLettersOnly) {
    caseInsensitive = 1;
    Find("\xE4"
         "bc");
    EXPECT_EQ(Search("\xC4"
                     "bc\n\xE4"
                     "BC\n\xE4"
                     "bc\n"),
              2);
    EXPECT_EQ(hitList.GetHead()->_lineNumber, 2);
}

TEST_F(FileTextSearch, RegExWithAWordOnlyTextIsAPlainSearch) {
    useRegEx = caseInsensitive = wholeWords = 1;
    Find("abc");
    EXPECT_EQ(Search("ABC\nxabc\naBc.\n"), 2);
    EXPECT_EQ(Records()[1].lineNumber, 3);
}

TEST_F(FileTextSearch, PatternSearchIsCaseSensitiveAndSetsTheCaseSetting) {
    useRegEx = caseInsensitive = 1;
    Find("a.c");
    EXPECT_EQ(Search("AbC\nabc\naXc\n"), 2);
    EXPECT_EQ(Records()[0].lineNumber, 2);
    EXPECT_EQ(String::IsCaseSensitive(), 0);
}

TEST_F(FileTextSearch, PatternSearchStopsAtTheFirstZeroByte) {
    useRegEx = 1;
    Find("a.c");
    std::string data(200, '.');
    data.replace(10, 3, "abc");
    data[100] = 0;
    data.replace(150, 3, "abc");
    EXPECT_EQ(Search(data), 1);
    EXPECT_EQ(RunCounters.hitCount, 1u);
}

TEST_F(FileTextSearch, PatternMatchesMayOverlapAndHonourWholeWords) {
    useRegEx = 1;
    Find("a.a");
    EXPECT_EQ(Search("ababa\n"), 1);
    EXPECT_EQ(RunCounters.hitCount, 2u);
    wholeWords = 1;
    Find("b.b");
    EXPECT_EQ(Search("xbab bcb\n"), 1);
    EXPECT_EQ(RunCounters.hitCount, 3u);
}

// A pattern that matches line ends finds them on the lines they end: no
// record for a line after the last one, none with the wrong number.
TEST_F(FileTextSearch, PatternMatchingLineEndsKeepsThemOnTheirLines) {
    const char* f = "C:\\D\\F.C";
    struct Case {
        const char* name;
        std::string data;
        std::vector<Record> expected;
    } cases[] = {
        {"CR only", "ab\rcd\r", {{f, 1, "ab"}, {f, 2, "cd"}}},
        {"CR only, no final end", "ab\rcd", {{f, 1, "ab"}}},
        {"LF only", "ab\ncd\n", {{f, 1, "ab"}, {f, 2, "cd"}}},
        {"LF only, no final end", "ab\ncd", {{f, 1, "ab"}}},
        {"CR LF", "ab\r\ncd\r\n", {{f, 1, "ab"}, {f, 2, "cd"}}},
        {"CR LF, no final end", "ab\r\ncd", {{f, 1, "ab"}, {f, 2, "cd"}}},
    };
    useRegEx = 1;
    Find("[^a-z]");
    for (const Case& c : cases) {
        hitList.DeleteAll();
        EXPECT_EQ(Search(c.data), static_cast<int>(c.expected.size())) << c.name;
        EXPECT_EQ(Records(), c.expected) << c.name;
    }
}

TEST_F(FileTextSearch, PatternAtTheVeryEndNeverReachesPastTheText) {
    useRegEx = 1;
    Find("c$");
    EXPECT_EQ(Search("abc"), 1);
    Find("x*");
    EXPECT_GE(Search("ab"), 0);
}

TEST_F(FileTextSearch, WholeWordLooksOnlyAtTheNeighbours) {
    const std::string data = "int_t (int) x_int";
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const uint32_t size = static_cast<uint32_t>(data.size());
    struct Case {
        int32_t offset, length;
        int accepted;
    } cases[] = {
        {0, 3, 0},  // int before _
        {0, 5, 1},  // int_t at the start of the file
        {7, 3, 1},  // (int)
        {6, 5, 1},  // the match itself may hold anything
        {14, 3, 0}, // int after _
        {12, 5, 1}, // x_int at the end of the file
        {14, 4, 0}, // reaches past the end
    };
    wholeWords = 1;
    for (const Case& c : cases) {
        EXPECT_EQ(IsWholeWord(c.offset, c.length, bytes, size), c.accepted) << c.offset;
    }
    wholeWords = 0;
    EXPECT_EQ(IsWholeWord(0, 3, bytes, size), 1);
}

TEST_F(FileTextSearch, StatisticsCountTheElevenByteExample) {
    statMode = 1;
    Find("unused");
    EXPECT_EQ(Search(std::string("ab c\r\n\r\n  d", 11)), 0);
    EXPECT_EQ(RunCounters.totalChars, 11u);
    EXPECT_EQ(RunCounters.realChars, 4u);
    EXPECT_EQ(RunCounters.realLines, 2u);
    EXPECT_EQ(RunCounters.lineBreaks, 4u);
    EXPECT_EQ(hitList._count, 0);
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
        hitList.DeleteAll();
        RunCounters = RunCounterSet();
        std::vector<unsigned char> exact(data.begin(), data.end());
        MemoryWindows source(exact.data(), exact.size(), window);
        Outcome outcome;
        outcome.result = SearchFileWindows(String("C:\\F.C"), source, 5);
        outcome.records = Records();
        outcome.counters = RunCounters;
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
    useRegEx = 1;
    Find("x;?");
    agree(many, 64, "12000 pattern matches");

    std::mt19937 random(5);
    const std::string alphabet = std::string("ab_ \t\r\n\x01\xC1", 9) + std::string(1, '\0');
    const char* patterns[] = {"a.b", "[ab]_", "^a", "b$", "a\\.", "ab?a", "[^ab]a", " a"};
    for (int round = 0; round < 3000; ++round) {
        std::string data(1 + random() % 200, ' ');
        for (char& c : data) // zero bytes rarely, so that patterns see text
            c = alphabet[random() % (random() % 20 ? alphabet.size() - 1 : alphabet.size())];
        statMode = random() % 8 == 0;
        useRegEx = random() % 2;
        caseInsensitive = random() % 2;
        wholeWords = random() % 2;
        onlyFileNames = random() % 4 == 0;
        if (useRegEx) {
            Find(patterns[random() % 8]);
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

} // namespace

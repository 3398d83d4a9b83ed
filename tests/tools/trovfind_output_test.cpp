// trovfind's command line and output formats, the native program's names and
// its UTF-8 texts.
#include "search/run_counters.h"
#include "tools/trovfind/code_page_text.h"
#include "tools/trovfind/options.h"
#include "tools/trovfind/output.h"
#include "tools/trovfind/posix_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RunResults Unread(uint32_t files, uint32_t filesLeftOut, uint32_t folders) {
    RunResults results;
    results.filesNotRead = files;
    results.filesLeftOut = filesLeftOut;
    results.foldersNotListed = folders;
    return results;
}

ParseResult Parse(std::vector<const char*> args, TrovfindOptions& options, std::string& error) {
    args.insert(args.begin(), "trovfind");
    return ParseTrovfindOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(TrovfindOptions, ReadsOptionsTextAndEntries) {
    TrovfindOptions o;
    std::string error;
    ASSERT_EQ(Parse({"-i", "-w", "-p", "-l", "-n", "--records", "--longest-gap", "-t", "*.c;*.h",
                     "a.c", "C:/src", "d"},
                    o, error),
              parsedRun);
    EXPECT_TRUE(o.caseInsensitive && o.wholeWords && o.pattern && o.fileNamesOnly && o.records &&
                o.longestGap);
    EXPECT_EQ(o.recursive, 0);
    EXPECT_EQ(o.fileTypes, "*.c;*.h");
    EXPECT_EQ(o.text, "a.c");
    EXPECT_EQ(o.entries, (std::vector<std::string>{"C:\\src", "d"}));
}

TEST(TrovfindOptions, StatisticsTakeNoTextAndDashesEndOptions) {
    TrovfindOptions s;
    std::string error;
    ASSERT_EQ(Parse({"-s", "C:\\a", "b"}, s, error), parsedRun);
    EXPECT_EQ(s.text, "");
    EXPECT_EQ(s.entries.size(), 2u);
    TrovfindOptions d;
    ASSERT_EQ(Parse({"--", "-i", "x"}, d, error), parsedRun);
    EXPECT_EQ(d.text, "-i");
    EXPECT_EQ(d.caseInsensitive, 0);
}

TEST(TrovfindOptions, UsageErrorsAndHelp) {
    const std::string longText(61, 'a');
    const std::vector<std::vector<const char*>> errors = {
        {},
        {"text"},
        {"-x", "t", "d"},
        {"-t"},
        {"-s"},
        {longText.c_str(), "d"},
        {"t", "C:\\dir;x\\file.c"},
        {"-s", "a", "b;"},
    };
    for (const auto& args : errors) {
        TrovfindOptions o;
        std::string error;
        EXPECT_EQ(Parse(args, o, error), parsedUsageError) << args.size();
        EXPECT_FALSE(error.empty());
    }
    TrovfindOptions o;
    std::string error;
    Parse({"t", "C:\\dir;x\\file.c"}, o, error);
    EXPECT_NE(error.find("holds a ';'"), std::string::npos) << error;
    EXPECT_EQ(Parse({"-i", "--help", "x"}, o, error), parsedHelp);
}

TEST(TrovfindOutput, HitsInTheDefaultFormsOfWindowsAndOfGrepAddToTheLinesBefore) {
    const char text[] = "int x;\0y";
    std::string lines = "before\n";
    AppendHit(lines, environmentHits, "C:\\a b\\x.c", 12, text, 8, 0);
    AppendHit(lines, environmentHits, "C:\\a b\\x.c", 1, "", 0, 1);
    AppendHit(lines, grepHits, "a b/x.c", 1234567890, text, 8, 0);
    AppendHit(lines, grepHits, "a b/x.c", 1, "", 0, 1);
    EXPECT_EQ(lines, "before\nC:\\a b\\x.c(12): int x;\nC:\\a b\\x.c\n"
                     "a b/x.c:1234567890:int x;\na b/x.c\n");
}

TEST(TrovfindOutput, RecordsEscapeBackslashTabLineEndsAndStopAtAZeroByte) {
    std::string lines;
    AppendRecord(lines, EscapeField("C:\\d\\x.c"), 7, "a\tb\\c\rd\ne\0f", 11);
    AppendRecord(lines, EscapeField("C:\\\xDC.c"), 1, "\x01\xFF", 2);
    EXPECT_EQ(lines, "C:\\\\d\\\\x.c\t7\ta\\tb\\\\c\\rd\\ne\n"
                     "C:\\\\\xDC.c\t1\t\x01\xFF\n");
}

TEST(TrovfindOutput, CountersStatisticsAndSummary) {
    RunCounterSet c = {3, 2, 5, 10, 40, 4, 8};
    EXPECT_EQ(FormatCounters(c), "#counters filesProcessed=3 filesWithHits=2 hitCount=5\n");
    EXPECT_EQ(FormatStatistics(c), "Number of files: 3\n"
                                   "Number of \"real\" characters: 10 (for a total of 40)\n"
                                   "(average is 3 \"real\" characters per file)\n"
                                   "Number of \"real\" lines: 4 (for a total of 8)\n"
                                   "(average is 1 \"real\" lines per file)\n");
    RunCounterSet none = {};
    EXPECT_EQ(FormatStatistics(none), "Number of files: 0\n"
                                      "Number of \"real\" characters: 0 (for a total of 0)\n"
                                      "\n"
                                      "Number of \"real\" lines: 0 (for a total of 0)\n"
                                      "\n");
    RunCounterSet big = {1, 0, 0, 0xFFFFFFFFu, 0, 0, 0}; // %d is signed
    EXPECT_EQ(FormatStatistics(big).substr(19, 39), "Number of \"real\" characters: -1 (for a ");
    EXPECT_EQ(FormatSummary(c, Unread(1, 0, 0), 0),
              "trovfind: 2 files searched, 2 with hits, 5 hits, 1 could not be read\n");
    EXPECT_EQ(FormatSummary(c, Unread(0, 0, 0), 1),
              "trovfind: 3 files counted, 0 could not be read\n");
    EXPECT_EQ(FormatSummary(c, Unread(0, 0, 2), 1),
              "trovfind: 3 files counted, 0 could not be read, "
              "folders that could not be listed: 2\n");
    // A file left out of the walk (its path too long) is no file that was searched.
    EXPECT_EQ(FormatSummary(c, Unread(2, 1, 0), 0),
              "trovfind: 2 files searched, 2 with hits, 5 hits, 2 could not be read\n");
}

TEST(TrovfindOutput, ExitStatus) {
    TrovfindOptions search, stats;
    stats.statistics = 1;
    RunCounterSet c = {2, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ExitStatusOf(search, c, 0, 1), 0);
    EXPECT_EQ(ExitStatusOf(search, c, 0, 0), 1);
    EXPECT_EQ(ExitStatusOf(stats, c, 0, 0), 0);
    EXPECT_EQ(ExitStatusOf(stats, c, 2, 0), 1); // neither file could be read
}

// A name takes the form given for the longest entry it equals or lies under.
TEST(TrovfindNames, RecordsNameFilesAsTheirEntriesWereGiven) {
    PosixNames names;
    names.Add("Z:\\home\\u\\src", "src/");
    names.Add("Z:\\home\\u\\src\\lib", "./src/lib");
    names.Add("Z:\\", "/");
    names.Add("Z:\\home\\u\\one.c", "one.c");
    const struct {
        const char* walkPath;
        const char* shown;
    } cases[] = {
        {"Z:\\home\\u\\src\\a.c", "src/a.c"},
        {"Z:\\home\\u\\src\\lib\\b\\c.h", "./src/lib/b/c.h"},
        {"Z:\\home\\u\\src\\library\\d.c", "src/library/d.c"}, // not under src\lib
        {"Z:\\home\\u\\src", "src"},
        {"Z:\\home\\u\\one.c", "one.c"},
        {"Z:\\etc\\hosts", "/etc/hosts"},
        {"Z:\\home\\u\\src\\a\xEF\x81\x9C"
         "b.c",
         "src/a\\b.c"}, // a backslash in a name
    };
    for (const auto& c : cases)
        EXPECT_EQ(names.Of(c.walkPath), c.shown) << c.walkPath;
    EXPECT_EQ(PosixNames().Of("Z:\\usr\\x y\\z.h"), "/usr/x y/z.h");
}

// Windows-1252 both ways: what it spells arrives, anything else is refused.
TEST(TrovfindCodePageText, TextsToFindAndLineTextsInUtf8) {
    const struct {
        const char* utf8;
        bool spelled;
        const char* codePage;
    } cases[] = {
        {"caf\xC3\xA9 \xE2\x80\x94 \xE2\x82\xAC?", true, "caf\xE9 \x97 \x80?"},
        {"\xC5\x92uvre \xE2\x84\xA2", true, "\x8Cuvre \x99"},
        {"\xCE\xB1", false, ""},         // Greek alpha
        {"\xF0\x9F\x98\x80", false, ""}, // beyond the BMP
        {"a\xE2\x82"
         "b",
         false, ""}, // malformed
    };
    for (const auto& c : cases) {
        std::string text = "unchanged";
        EXPECT_EQ(SpellInCodePage(c.utf8, text), c.spelled) << c.utf8;
        if (!c.spelled) continue;
        EXPECT_EQ(text, c.codePage) << c.utf8;
        EXPECT_EQ(CodePageToUtf8(text), c.utf8) << c.utf8;
    }
}

} // namespace

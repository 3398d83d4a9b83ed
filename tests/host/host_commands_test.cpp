// The host's calls as plain code: the rules of command 3 and 8, the busy
// guard, the selectors of result access and the progress window's texts.
#include "host/host_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "host/progress_texts.h"
#include "host/run_state.h"
#include "host/settings_query.h"
#include "search/hit_record.h"
#include "search/run_counters.h"
#include "ui/search_settings.h"

namespace {

// The fake run: records how it was called and leaves the hits it is told to.
struct FakeRun {
    int calls = 0;
    int showDialog = -1;
    int result = 0;            // what RunSearch returns: 1 cancel, 0 otherwise
    int hits = 0;              // records the run leaves
    int (*during)() = nullptr; // called once the first record is in
    int duringResult = 0;
    int released = 0;
    std::string helpPath;
} fake;

int FakeRunSearch(int showDialog) {
    ++fake.calls;
    fake.showDialog = showDialog;
    ClearRunResults();
    for (int i = 0; i < fake.hits; ++i) {
        runResults.hitList.AddTail(new GrepInfo(SharedText("C:\\f.c"), "line", i + 1));
        if (i == 0 && fake.during) fake.duringResult = fake.during();
    }
    return fake.result;
}

void FakeReleaseHelp(const String& helpPath) {
    ++fake.released;
    fake.helpPath = helpPath;
}

const HostCalls calls = {FakeRunSearch, FakeReleaseHelp};

class HostCommands : public ::testing::Test {
protected:
    void SetUp() override {
        fake = FakeRun();
        SearchSettings.hostText.clear();
        SearchSettings.textToFind.clear();
        SearchSettings.Stat = SearchSettings.KeepMess = 0;
        SearchSettings.HelpPath = "C:\\x\\TROVIK.HLP";
        ClearRunResults();
    }
    void TearDown() override { ReleaseHits(); }
};

TEST_F(HostCommands, TheHostTextIsCutTo60AndBecomesTheTextToFindWithoutTheDialog) {
    const std::string hundred(100, 'h');
    DoTrovikCommand(commandSearch, hundred.c_str(), 0, calls);
    EXPECT_EQ(std::string(SearchSettings.hostText), hundred.substr(0, 60));
    EXPECT_EQ(std::string(SearchSettings.textToFind), hundred.substr(0, 60));
    EXPECT_EQ(fake.showDialog, 0);

    SearchSettings.textToFind = "kept";
    DoTrovikCommand(commandSearch, "new", 1, calls); // the dialog starts with it
    EXPECT_EQ(std::string(SearchSettings.hostText), "new");
    EXPECT_EQ(std::string(SearchSettings.textToFind), "kept");

    DoTrovikCommand(commandSearch, nullptr, 1, calls); // the dialog starts empty
    EXPECT_EQ(std::string(SearchSettings.hostText), "");
    EXPECT_EQ(fake.showDialog, 1);
}

TEST_F(HostCommands, TheHostTextEndsAtItsFirstLineEnd) {
    struct Case {
        const char* text;
        int showDialog;
        const char* hostText;
        int runs;
    } cases[] = {
        {"x\r\n[DirSetLastOne]\r\nDirList=C:\\", 1, "x", 1},
        {"x\n[Forged]", 0, "x", 1},
        {"x\r[Forged]", 0, "x", 1},
        {"\r\n[Forged]", 0, "", 0}, // no text left: nothing to search
    };
    for (const Case& c : cases) {
        fake = FakeRun();
        SearchSettings.hostText.clear();
        DoTrovikCommand(commandSearch, c.text, c.showDialog, calls);
        EXPECT_EQ(std::string(SearchSettings.hostText), c.hostText) << c.text;
        EXPECT_EQ(fake.calls, c.runs) << c.text;
    }
}

TEST_F(HostCommands, TheResultTellsCancelHitsAndStatisticsApart) {
    struct Case {
        int cancelled, stat, expected;
    } cases[] = {
        {1, 0, resultNothing}, {1, 1, resultNothing}, {0, 0, resultHits}, {0, 1, resultStatistics}};
    for (const Case& c : cases) {
        fake.result = c.cancelled;
        SearchSettings.Stat = c.stat;
        EXPECT_EQ(DoTrovikCommand(commandSearch, "x", 0, calls), c.expected)
            << c.cancelled << c.stat;
    }
}

TEST_F(HostCommands, ReleaseDeletesTheHitsKeepsTheCountersAndQuitsHelp) {
    fake.hits = 2;
    DoTrovikCommand(commandSearch, "x", 0, calls);
    runResults.counters.filesProcessed = 3;
    EXPECT_EQ(DoTrovikCommand(commandRelease, nullptr, 0, calls), resultNothing);
    EXPECT_EQ(GetResultValue(0, selectHitCount), 0);
    EXPECT_EQ(std::string(GetResultString(0, 4)), "");
    EXPECT_EQ(std::string(GetResultString(0, 10)), "Number of files: 3");
    EXPECT_EQ(fake.released, 1);
    EXPECT_EQ(fake.helpPath, "C:\\x\\TROVIK.HLP");
    for (int other : {0, 2, 4, 9, -1})
        EXPECT_EQ(DoTrovikCommand(other, "x", 1, calls), resultNothing) << other;
    EXPECT_EQ(fake.calls, 1);
}

// The run dispatches the host's messages, so the host may call again
// meanwhile: commands are refused, reading sees the records found so far.
TEST_F(HostCommands, CallsDuringARunAreRefusedButReadingWorks) {
    fake.hits = 2;
    fake.during = []() -> int {
        int refused = DoTrovikCommand(commandSearch, "again", 1, calls) == resultNothing &&
                      DoTrovikCommand(commandRelease, nullptr, 0, calls) == resultNothing;
        return refused && GetResultValue(0, selectHitCount) == 1 &&
               GetResultValue(0, selectLineNumber) == 1;
    };
    EXPECT_EQ(DoTrovikCommand(commandSearch, "x", 0, calls), resultHits);
    EXPECT_EQ(fake.duringResult, 1);
    EXPECT_EQ(fake.calls, 1);
    EXPECT_EQ(fake.released, 0);
    EXPECT_EQ(std::string(SearchSettings.hostText), "x");
    EXPECT_EQ(GetResultValue(0, selectHitCount), 2);
    EXPECT_EQ(DoTrovikCommand(commandRelease, nullptr, 0, calls), resultNothing); // free again
    EXPECT_EQ(fake.released, 1);
}

TEST_F(HostCommands, RecordsAreReadByIndexAndOtherIndexesGiveNothing) {
    runResults.hitList.AddTail(new GrepInfo(SharedText("C:\\a.c"), "alpha", 7));
    runResults.hitList.AddTail(new GrepInfo(SharedText("C:\\b.c"), "beta", 9));
    EXPECT_EQ(GetResultValue(1, selectLineNumber), 9);
    EXPECT_EQ(std::string(GetResultString(1, selectFileName)), "C:\\b.c");
    EXPECT_EQ(std::string(GetResultString(0, selectLineText)), "alpha");
    for (int index : {-1, 2, 1000}) {
        EXPECT_EQ(GetResultValue(index, selectLineNumber), 0) << index;
        EXPECT_EQ(std::string(GetResultString(index, selectFileName)), "") << index;
        EXPECT_EQ(std::string(GetResultString(index, selectLineText)), "") << index;
    }
}

TEST_F(HostCommands, SelectorsOutsideTheTablesGiveZeroOrTheEmptyText) {
    runResults.hitList.AddTail(new GrepInfo(SharedText("C:\\a.c"), "alpha", 7));
    SearchSettings.KeepMess = 1;
    runResults.filesNotRead = 4;
    EXPECT_EQ(GetResultValue(0, selectKeepMessages), 1);
    EXPECT_EQ(GetResultValue(0, selectFilesNotRead), 4);
    EXPECT_EQ(std::string(GetResultString(0, selectFilesNotRead)),
              "Files that could not be read: 4");
    runResults.foldersNotListed = 2; // folders are named apart, and only when there are any
    EXPECT_EQ(GetResultValue(0, selectFilesNotRead), 4);
    EXPECT_EQ(std::string(GetResultString(0, selectFilesNotRead)),
              "Files that could not be read: 4, folders that could not be listed: 2");
    runResults.foldersNotListed = 0;
    for (int what : {-1, 0, 3, 6, 7, 8, 9, 15, 17, 100})
        EXPECT_EQ(std::string(GetResultString(0, what)), "") << what;
    for (int what : {-1, 0, 4, 5, 8, 9, 10, 14, 17}) {
        EXPECT_EQ(GetResultValue(0, what), 0) << what;
    }
}

TEST(ProgressTexts, TheHitsLineHasThreeForms) {
    struct Case {
        uint32_t hits, files;
        const char* text;
    } cases[] = {{0, 0, "0 Hit"},
                 {1, 1, "1 Hit"},
                 {5, 1, "5 Hits in 1 file"},
                 {5, 3, "5 Hits in 3 files"},
                 {0x80000000u, 2, "-2147483648 Hits in 2 files"}};
    for (const Case& c : cases)
        EXPECT_EQ(std::string(HitsText(c.hits, c.files)), c.text);
    EXPECT_EQ(std::string(ProcessedFilesText(12)), "Processed files: 12");
    const std::string longPath(700, 'p'); // longer than any fixed buffer
    EXPECT_EQ(std::string(LastHitText(longPath.c_str())), "Last hit(s) found in: " + longPath);
}

// Each switch of the dialog reaches its own field of the query, set and clear.
TEST(QueryFromSettings, EverySettingReachesItsField) {
    for (int on : {0, 1}) {
        SearchSettingsRecord settings;
        settings.Stat = settings.CaseSensitive = settings.WholeWord = settings.RegEx =
            settings.OnlyFile = settings.SubDir = on;
        settings.Threads = 3 + on;
        settings.dirList = "C:\\a;";
        settings.fileTypes = "*.c";
        const RunQuery query = QueryFromSettings(settings, "text");
        EXPECT_EQ(std::string(query.text), "text");
        EXPECT_EQ(query.statistics, on);
        EXPECT_EQ(query.caseInsensitive, 1 - on);
        EXPECT_EQ(query.wholeWords + query.pattern + query.fileNamesOnly + query.subdirectories,
                  4 * on);
        EXPECT_EQ(query.threads, 3u + on);
        EXPECT_EQ(std::string(query.dirList) + std::string(query.fileTypes), "C:\\a;*.c");
        EXPECT_EQ(query.followLinks, 0);
    }
}

} // namespace

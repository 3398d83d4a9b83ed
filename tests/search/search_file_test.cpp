// The per-file search on real files, in both configurations: the lines and
// statistics of a file; a file read whole and the same file read in windows
// (mapped under Windows, through a sliding buffer natively) give the same
// records in every mode, and one that ends short of its size counts as not
// read; the failures that cost only the file
// (missing, empty, a folder); views of a mapping at the granularity's
// offsets, as the sliding search takes them. Natively also a view too large
// for 32 bits refused as such, and a mapped file cut short, whose view faults
// inside the search's guard and costs only that file.
#include "fs/file_name.h"
#include "fs/mapped_file.h"
#include "search/hit_record.h"
#include "search/mapped_windows.h"
#include "search/read_windows.h"
#include "search/search_file.h"
#include "search/search_text.h"
#include "tests/fs/scratch_dir.h"
#include "tests/search/kept_lines.h"
#include "tests/search/test_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include "base/exception.h"
#include "fs/fault_guard.h"
#include "search/search_file_text.h"

#include <unistd.h>
#endif

namespace {

struct Outcome {
    int result;
    std::vector<std::string> records;
    RunCounterSet counters;
};

// The file searched afresh, read whole (up to `readLimit`) or in windows of
// `windowSize` (0).
Outcome SearchedAs(const std::string& path, TestRun& run, uint32_t readLimit = searchReadLimit,
                   uint32_t windowSize = searchWindowSize) {
    run.results.hitList.DeleteAll();
    run.results.counters = RunCounterSet();
    Outcome outcome;
    FileName name(path.c_str());
    outcome.result = SearchFile(name, run.Search(), windowSize, patternReach, readLimit);
    for (GrepInfo* g = run.results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
        outcome.records.push_back(std::string(g->_fileName) + ":" + std::to_string(g->_lineNumber) +
                                  ":" + std::string(g->_lineText));
    outcome.counters = run.results.counters;
    return outcome;
}

class SearchFileTest : public ::testing::Test {
protected:
    void SetUp() override { run.query.text = "needle"; }

    ScratchDir _dir;
    TestRun run;
};

TEST_F(SearchFileTest, FindsTheLinesAndCountsTheStatisticsOfAFile) {
    const std::string path = _dir.Write("f.txt", "first\r\n\tneedle one\r\nneedle two needle\r\n");
    const Outcome found = SearchedAs(path, run);
    EXPECT_EQ(found.result, 2);
    EXPECT_EQ(found.records,
              (std::vector<std::string>{path + ":2:needle one", path + ":3:needle two needle"}));
    EXPECT_EQ(found.counters.hitCount, 3u);

    run.query.statistics = 1;
    WriteBytes(path, std::string("ab c\r\n\r\n  d", 11));
    const Outcome counted = SearchedAs(path, run);
    EXPECT_EQ(counted.result, 0);
    EXPECT_TRUE(counted.records.empty());
    EXPECT_EQ(counted.counters.totalChars, 11u);
    EXPECT_EQ(counted.counters.realChars, 4u);
    EXPECT_EQ(counted.counters.realLines, 2u);
    EXPECT_EQ(counted.counters.lineBreaks, 4u);
}

// Read through windows of 128 KiB, the file's hits lie across the windows'
// edges, and the lines longer than the bytes a window keeps in front of the
// offset asked make the window go back for their start.
TEST_F(SearchFileTest, AFileReadWholeAndReadInWindowsGivesTheSameRecordsInEveryMode) {
    std::string ascii = "head needle\r\n";
    for (int line = 0; ascii.size() < 300000; ++line) {
        ascii += "  line " + std::to_string(line) + (line % 997 ? " text\n" : " needle\r\n");
        if (line % 3001 == 0) ascii += std::string(40000 + line, 'n') + " 7 needle\n";
    }
    // UTF-8 beyond ASCII is converted into the code page before the search.
    const std::string files[] = {
        _dir.Write("ascii.txt", ascii + "needle at the end"),
        _dir.Write("utf8.txt", ascii + "caf\xC3\xA9 needle \xE2\x80\x94 end")};
    const struct {
        const char* name;
        int statistics, pattern, fileNamesOnly;
        const char* text;
    } modes[] = {{"plain", 0, 0, 0, "needle"},
                 {"pattern", 0, 1, 0, "[0-9] ne+dle$"},
                 {"pattern across lines", 0, 1, 0, "dle[\r\n]+  line"},
                 {"file names only", 0, 0, 1, "needle"},
                 {"statistics", 1, 0, 0, "needle"}};
    for (const std::string& file : files) {
        for (const auto& mode : modes) {
            SCOPED_TRACE(file + ", " + mode.name);
            run.query.statistics = mode.statistics;
            run.query.pattern = mode.pattern;
            run.query.fileNamesOnly = mode.fileNamesOnly;
            run.query.text = mode.text;
            const Outcome read = SearchedAs(file, run);
            if (!mode.statistics) {
                EXPECT_GT(read.result, 0);
            }
            for (uint32_t window : {searchWindowSize, 2 * 65536u}) {
                const Outcome slid = SearchedAs(file, run, 0, window);
                EXPECT_EQ(read.result, slid.result) << window;
                EXPECT_EQ(read.records, slid.records) << window;
                EXPECT_EQ(0, memcmp(&read.counters, &slid.counters, sizeof(RunCounterSet)))
                    << window;
            }
        }
    }
}

TEST_F(SearchFileTest, AFileThatCannotBeReadCostsOnlyThatFile) {
    _dir.Write("empty.txt", "");
    for (const char* name : {"missing.txt", "empty.txt", ""}) { // "": the folder itself
        for (uint32_t readLimit : {searchReadLimit, 0u}) {
            EXPECT_EQ(SearchedAs(_dir / name, run, readLimit).result, -1) << name;
            EXPECT_EQ(run.results.hitList._count, 0) << name;
        }
    }
}

// Its hits before the end found make neither records nor a drain's lines.
TEST_F(SearchFileTest, AFileThatEndsShortOfItsSizeCannotBeReadInWindows) {
    std::string text;
    while (text.size() < 300000)
        text += "x\n";
    File file(FileName(_dir.Write("short.txt", text).c_str()), openRead);
    unsigned char buffer[65536];
    ReadWindows windows(file, 400000, buffer, sizeof buffer);
    EXPECT_EQ(windows.WindowAt(200000).length, sizeof buffer);
    EXPECT_THROW(windows.WindowAt(290000), TextFault);
    KeptLines drain;
    run.query.text = "x";
    RecordDrain* const drains[] = {nullptr, &drain};
    for (RecordDrain* lineDrain : drains) {
        run.drain = lineDrain;
        run.lines.text = "kept\n"; // another file's, which stay
        run.lines.count = 1;
        ReadWindows fresh(file, 400000, buffer, sizeof buffer);
        EXPECT_EQ(SearchFileWindows("short.txt", fresh, run.Search(), patternReach), -1);
        EXPECT_EQ(run.results.hitList._count, 0);
        EXPECT_EQ(run.lines.text, "kept\n");
        EXPECT_EQ(run.lines.count, 1);
    }
}

TEST_F(SearchFileTest, ViewsAtTheGranularitysOffsetsShowTheFilesBytes) {
    std::string data;
    for (int i = 0; data.size() < 5 * MappedFile::viewGranularity + 123; ++i)
        data += std::to_string(i) + "\n";
    MappedFile file(FileName(_dir.Write("views.txt", data).c_str()), openRead, 0);
    MappedWindows windows(file, 2 * MappedFile::viewGranularity);
    for (uint64_t offset = 0; offset < data.size(); offset += 40000) {
        const FileWindow window = windows.WindowAt(offset);
        ASSERT_LE(window.start, offset);
        ASSERT_GT(window.End(), offset);
        EXPECT_EQ(0, memcmp(window.data, data.data() + window.start, window.length)) << offset;
        EXPECT_EQ(window.last, window.End() == data.size()) << offset;
    }
}

#ifndef _WIN32
// Natively only: truncate makes a sparse file and cuts a mapped one short
// (under Windows: tests/fs/mapped_file_win32_test.cpp).

std::string PosixPath(const std::string& path) {
    std::string posix = path.substr(2); // drive Z: is the root
    for (char& c : posix)
        if (c == '\\') c = '/';
    return posix;
}

TEST_F(SearchFileTest, AViewOf4GiBOrMoreIsTooLargeAndSmallerOnesAreMade) {
    const std::string path = _dir.Write("sparse.bin", "");
    ASSERT_EQ(truncate(PosixPath(path).c_str(), (4ll << 30) + 1), 0);
    MappedFile file(FileName(path.c_str()), openRead, 0);
    EXPECT_EQ(file.GetMappingSize(), (4ull << 30) + 1);
    try {
        file.AddView(0, 0);
        ADD_FAILURE() << "a view of more than 4 GiB was made";
    } catch (const Exception& failure) {
        EXPECT_TRUE(MappedFile::IsViewTooLarge(failure));
    }
    MappedFile::View* view = file.AddView(4ull << 30, 0);
    EXPECT_EQ(view->GetSize(), 1u);
    EXPECT_EQ(view->GetBase()[0], 0);
}

// Past the new end of a file cut short its view faults (SIGBUS): the fault
// guard abandons the read, an outer guard takes a fault of its range inside
// an inner one, and the search of such a view costs only the file.
TEST_F(SearchFileTest, AViewOfAFileCutShortFaultsInsideItsGuardOnly) {
    const std::string path = _dir.Write("cut.txt", std::string(3 * 65536, 'x') + "needle\n");
    MappedFile file(FileName(path.c_str()), openRead);
    ASSERT_EQ(truncate(PosixPath(path).c_str(), 0), 0);
    const char* tail = file.GetData() + 70000;
    uint8_t byte = 1;
    EXPECT_EQ(ProbeByte(tail, &byte), 0);
    auto innerGuard = [&] {
        char elsewhere = 0;
        auto read = [&] { byte = static_cast<uint8_t>(*static_cast<const volatile char*>(tail)); };
        RunGuarded(&elsewhere, 1, read);
    };
    EXPECT_EQ(RunGuarded(file.GetData(), file.GetSize(), innerGuard), 0);
    const auto* data = reinterpret_cast<const unsigned char*>(file.GetData());
    EXPECT_EQ(SearchFileText(String(path.c_str()), data, file.GetSize(), run.Search()), -1);
    EXPECT_EQ(run.results.hitList._count, 0);
}
#endif

} // namespace

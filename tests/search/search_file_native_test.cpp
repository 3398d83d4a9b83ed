// The native file layer under the per-file search, on real files: a file
// read whole and the same file read through a buffer that slides over it
// give the same records in every mode, and one that ends short of its size
// counts as not read;
// the failures that cost only the file (missing, empty, a folder); views of a
// mapping at the granularity's offsets, as the sliding search takes them, and
// a view too large for 32 bits refused as such; a mapped file cut short,
// whose view faults inside the search's guard and costs only that file.
#include "base/exception.h"
#include "fs/fault_guard.h"
#include "fs/file_errors.h"
#include "fs/file_name.h"
#include "fs/mapped_file.h"
#include "search/hit_record.h"
#include "search/mapped_windows.h"
#include "search/read_windows.h"
#include "search/search_file.h"
#include "search/search_file_text.h"
#include "search/search_text.h"
#include "tests/search/test_run.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class NativeFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/trovik_native_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        _dir = pattern;
    }
    void TearDown() override {
        for (const std::string& made : _made)
            unlink(made.c_str());
        rmdir(_dir.c_str());
    }

    // Writes the file `name` and returns its walk path (drive Z:).
    FileName Write(const std::string& name, const std::string& data) {
        const std::string path = _dir + "/" + name;
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(file, 0) << path;
        EXPECT_EQ(write(file, data.data(), data.size()), ssize_t(data.size()));
        close(file);
        _made.push_back(path);
        return WalkPath(name);
    }
    FileName WalkPath(const std::string& name) const {
        std::string walk = "Z:" + _dir + "/" + name;
        for (char& c : walk)
            if (c == '/') c = '\\';
        return FileName(walk.c_str());
    }

    std::string _dir;
    std::vector<std::string> _made;
};

struct Outcome {
    int result;
    std::vector<std::string> records;
    RunCounterSet counters;
};

Outcome SearchedAs(FileName path, TestRun& run, uint32_t readLimit,
                   uint32_t windowSize = searchWindowSize) {
    run.results.hitList.DeleteAll();
    run.results.counters = RunCounterSet();
    Outcome outcome;
    outcome.result = SearchFile(path, run.Search(), windowSize, patternReach, readLimit);
    for (GrepInfo* g = run.results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
        outcome.records.push_back(std::string(g->_fileName) + ":" + std::to_string(g->_lineNumber) +
                                  ":" + std::string(g->_lineText));
    outcome.counters = run.results.counters;
    return outcome;
}

// Read through windows of 128 KiB, the file's hits lie across the windows'
// edges, and the lines longer than the bytes a window keeps in front of the
// offset asked make the window go back for their start.
TEST_F(NativeFiles, AFileReadWholeAndReadInWindowsGivesTheSameRecordsInEveryMode) {
    std::string ascii = "head needle\r\n";
    for (int line = 0; ascii.size() < 300000; ++line) {
        ascii += "  line " + std::to_string(line) + (line % 997 ? " text\n" : " needle\r\n");
        if (line % 3001 == 0) ascii += std::string(40000 + line, 'n') + " 7 needle\n";
    }
    // UTF-8 beyond ASCII is converted into the code page before the search.
    const FileName files[] = {Write("ascii.txt", ascii + "needle at the end"),
                              Write("utf8.txt", ascii + "caf\xC3\xA9 needle \xE2\x80\x94 end")};
    const struct {
        const char* name;
        int statistics, pattern, fileNamesOnly;
        const char* text;
    } modes[] = {{"plain", 0, 0, 0, "needle"},
                 {"pattern", 0, 1, 0, "[0-9] ne+dle$"},
                 {"pattern across lines", 0, 1, 0, "dle[\r\n]+  line"},
                 {"file names only", 0, 0, 1, "needle"},
                 {"statistics", 1, 0, 0, "needle"}};
    for (const FileName& file : files) {
        for (const auto& mode : modes) {
            TestRun run;
            run.query.statistics = mode.statistics;
            run.query.pattern = mode.pattern;
            run.query.fileNamesOnly = mode.fileNamesOnly;
            run.query.text = mode.text;
            const Outcome read = SearchedAs(file, run, searchReadLimit);
            if (!mode.statistics) {
                EXPECT_GT(read.result, 0) << mode.name;
            }
            for (uint32_t window : {searchWindowSize, 2 * 65536u}) {
                const Outcome slid = SearchedAs(file, run, 0, window);
                EXPECT_EQ(read.result, slid.result) << mode.name << " " << window;
                EXPECT_EQ(read.records, slid.records) << mode.name << " " << window;
                EXPECT_EQ(0, memcmp(&read.counters, &slid.counters, sizeof(RunCounterSet)))
                    << mode.name << " " << window;
            }
        }
    }
}

TEST_F(NativeFiles, AFileThatCannotBeReadCostsOnlyThatFile) {
    Write("empty.txt", "");
    for (const char* name : {"missing.txt", "empty.txt", ""}) { // "": the folder itself
        for (uint32_t readLimit : {searchReadLimit, 0u}) {
            TestRun run;
            run.query.text = "x";
            EXPECT_EQ(SearchedAs(WalkPath(name), run, readLimit).result, -1) << name;
            EXPECT_EQ(run.results.hitList._count, 0) << name;
        }
    }
}

TEST_F(NativeFiles, AFileThatEndsShortOfItsSizeCannotBeReadInWindows) {
    File file(Write("short.txt", std::string(300000, 'x')), openRead);
    unsigned char buffer[65536];
    ReadWindows windows(file, 400000, buffer, sizeof buffer);
    EXPECT_EQ(windows.WindowAt(200000).length, sizeof buffer);
    EXPECT_THROW(windows.WindowAt(290000), TextFault);
}

TEST_F(NativeFiles, ViewsAtTheGranularitysOffsetsShowTheFilesBytes) {
    std::string data;
    for (int i = 0; data.size() < 5 * MappedFile::viewGranularity + 123; ++i)
        data += std::to_string(i) + "\n";
    MappedFile file(Write("views.txt", data), openRead, 0);
    MappedWindows windows(file, 2 * MappedFile::viewGranularity);
    for (uint64_t offset = 0; offset < data.size(); offset += 40000) {
        const FileWindow window = windows.WindowAt(offset);
        ASSERT_LE(window.start, offset);
        ASSERT_GT(window.End(), offset);
        EXPECT_EQ(0, memcmp(window.data, data.data() + window.start, window.length)) << offset;
        EXPECT_EQ(window.last, window.End() == data.size()) << offset;
    }
}

TEST_F(NativeFiles, AViewOf4GiBOrMoreIsTooLargeAndSmallerOnesAreMade) {
    const FileName name = Write("sparse.bin", "");
    ASSERT_EQ(truncate((_dir + "/sparse.bin").c_str(), (4ll << 30) + 1), 0);
    MappedFile file(name, openRead, 0);
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
TEST_F(NativeFiles, AViewOfAFileCutShortFaultsInsideItsGuardOnly) {
    const FileName name = Write("cut.txt", std::string(3 * 65536, 'x') + "needle\n");
    MappedFile file(name, openRead);
    ASSERT_EQ(truncate((_dir + "/cut.txt").c_str(), 0), 0);
    const char* tail = file.GetData() + 70000;
    uint8_t byte = 1;
    EXPECT_EQ(ProbeByte(tail, &byte), 0);
    auto innerGuard = [&] {
        char elsewhere = 0;
        auto read = [&] { byte = static_cast<uint8_t>(*static_cast<const volatile char*>(tail)); };
        RunGuarded(&elsewhere, 1, read);
    };
    EXPECT_EQ(RunGuarded(file.GetData(), file.GetSize(), innerGuard), 0);
    TestRun run;
    run.query.text = "needle";
    const auto* data = reinterpret_cast<const unsigned char*>(file.GetData());
    EXPECT_EQ(SearchFileText(String(name), data, file.GetSize(), run.Search()), -1);
    EXPECT_EQ(run.results.hitList._count, 0);
}

} // namespace

// SearchFile on real files where only Windows can make the failure: the file
// held open exclusively or with a locked region, a fault while the bytes are
// read, and the sliding view taken when the file cannot be mapped whole. The
// rest of the per-file search on real files: search_file_test.cpp.
#include "fs/file_name.h"
#include "search/hit_record.h"
#include "search/search_file.h"
#include "search/search_text.h"
#include "tests/fs/file_call_faults_win32.h"
#include "tests/fs/scratch_dir.h"
#include "tests/search/test_run.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class SearchFileTest : public ::testing::Test {
protected:
    void SetUp() override { run.query.text = "needle"; }
    void Write(const std::string& data) { WriteBytes(_path, data); }

    int Search() {
        FileName name(_path.c_str());
        return SearchFile(name, run.Search());
    }

    ScratchDir _dir;
    const std::string _path = _dir / "search_file_test.txt";
    TestRun run;
};

// A file held open exclusively by another program, or held open for writing
// with a locked region (which the search's sharing cannot even open) gives
// -1; the file is found again once released, nothing of the failed search
// left open.
TEST_F(SearchFileTest, AFileHeldByAnotherProgramCostsOnlyThatFile) {
    Write("needle\n");
    const struct {
        const char* name;
        DWORD access, share;
        bool lockRegion;
    } holders[] = {
        {"held exclusively", GENERIC_READ, 0, false},
        {"locked region", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true}};
    for (const auto& holder : holders) {
        HANDLE h = CreateFileA(_path.c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING,
                               0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << holder.name;
        if (holder.lockRegion) {
            ASSERT_TRUE(LockFile(h, 0, 0, 4, 0));
        }
        EXPECT_EQ(Search(), -1) << holder.name;
        if (holder.lockRegion) UnlockFile(h, 0, 0, 4, 0);
        CloseHandle(h);
        EXPECT_EQ(run.results.hitList._count, 0) << holder.name;
        EXPECT_EQ(Search(), 1) << holder.name;
        run.results.hitList.DeleteAll();
    }
}

// Bytes that vanish while they are read: the second page of the block is
// inaccessible, as a mapped view is when its file was cut short.
TEST_F(SearchFileTest, AFaultWhileReadingTheBytesCostsOnlyThatFile) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const DWORD page = info.dwPageSize;
    char* block = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    memset(block, 'x', 2 * page);
    memcpy(block + 10, "needle", 6);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(block + page, page, PAGE_NOACCESS, &old));
    const unsigned char* data = reinterpret_cast<const unsigned char*>(block);
    for (int mode = 0; mode < 3; ++mode) { // plain, pattern, statistics
        run.query.pattern = mode == 1;
        run.query.text = mode == 1 ? "ne.dle" : "needle";
        run.query.statistics = mode == 2;
        MemoryWindows whole(data, 2 * page);
        EXPECT_EQ(SearchFileWindows(String("C:\\v.txt"), whole, run.Search()), -1) << mode;
        EXPECT_EQ(run.results.hitList._count, 0) << mode;
    }
    EXPECT_EQ(run.results.counters.totalChars, 0u);
    VirtualFree(block, 0, MEM_RELEASE);
}

// A file of about 600 KB with hits on both sides of, and across, the
// boundaries of 128 KiB windows, searched whole and then with the whole view
// refused for want of address space: the same records and counters in every
// mode as when the file is read whole, several views, nothing left held.
TEST_F(SearchFileTest, AFileThatCannotBeMappedWholeIsSearchedThroughASlidingView) {
    std::string data = "head needle\r\n";
    for (int line = 0; data.size() < 600000; ++line)
        data += "  line " + std::to_string(line) + (line % 997 ? " text\r\n" : " needle\r\n");
    for (size_t boundary = 65536; boundary < data.size(); boundary += 65536)
        data.replace(boundary - 3, 6, "needle");
    data += "needle at the end";
    Write(data);

    struct Mode {
        const char* name;
        int stat, regEx, onlyFile;
        const char* text;
    } modes[] = {{"plain", 0, 0, 0, "needle"},
                 {"pattern", 0, 1, 0, "ne+dle"},
                 {"file names only", 0, 0, 1, "needle"},
                 {"statistics", 1, 0, 0, "needle"}};
    for (const Mode& mode : modes) {
        run.query.statistics = mode.stat;
        run.query.pattern = mode.regEx;
        run.query.fileNamesOnly = mode.onlyFile;
        run.query.text = mode.text;
        struct Outcome {
            int result;
            std::vector<std::string> records;
            RunCounterSet counters;
        } outcomes[3];
        enum { read, mappedWhole, sliding };
        for (int how : {read, mappedWhole, sliding}) {
            run.results.hitList.DeleteAll();
            run.results.counters = RunCounterSet();
            FileCallFaults faults;
            if (how == sliding) faults.Fail(&FileCalls::MapViewOfFile, 1, ERROR_NOT_ENOUGH_MEMORY);
            FileName name(_path.c_str());
            outcomes[how].result =
                SearchFile(name, run.Search(), 2 * 65536, 4096, how == read ? searchReadLimit : 0);
            for (GrepInfo* g = run.results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
                outcomes[how].records.push_back(std::to_string(g->_lineNumber) + ":" +
                                                std::string(g->_lineText));
            outcomes[how].counters = run.results.counters;
            EXPECT_TRUE(faults.NothingHeld()) << mode.name;
            EXPECT_EQ(faults.Calls(&FileCalls::MapViewOfFile) > 0, how != read) << mode.name;
            if (how == sliding && !mode.onlyFile) {
                EXPECT_GT(faults.Calls(&FileCalls::MapViewOfFile), 5u) << mode.name;
            }
        }
        for (int how : {mappedWhole, sliding}) {
            EXPECT_EQ(outcomes[read].result, outcomes[how].result) << mode.name;
            EXPECT_EQ(outcomes[read].records, outcomes[how].records) << mode.name;
            EXPECT_EQ(
                0, memcmp(&outcomes[read].counters, &outcomes[how].counters, sizeof(RunCounterSet)))
                << mode.name;
        }
    }
    EXPECT_EQ(run.results.counters.totalChars, data.size());
}

// A fault in any view of the sliding search costs the file, as in a view of
// the whole file.
TEST_F(SearchFileTest, AFaultInASlidingViewCostsOnlyThatFile) {
    Write(std::string(400000, 'x') + "needle\n");
    for (int mode = 0; mode < 3; ++mode) { // plain, pattern, statistics
        run.query.pattern = mode == 1;
        run.query.text = mode == 1 ? "ne.dle" : "needle";
        run.query.statistics = mode == 2;
        for (uint32_t view = 2; view <= 4; ++view) {
            FileCallFaults faults;
            faults.Fail(&FileCalls::MapViewOfFile, 1, ERROR_NOT_ENOUGH_MEMORY);
            faults.SpoilView(view, 4096, PAGE_NOACCESS);
            FileName name(_path.c_str());
            EXPECT_EQ(SearchFile(name, run.Search(), 2 * 65536, 4096, 0), -1)
                << mode << " view " << view;
            EXPECT_EQ(run.results.hitList._count, 0) << mode;
            EXPECT_TRUE(faults.NothingHeld()) << mode;
        }
    }
    EXPECT_EQ(run.results.counters.totalChars, 0u);
}

} // namespace

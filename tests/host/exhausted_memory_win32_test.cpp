// Nothing thrown reaches the host or the platform: the statistics lines are
// read when no memory is left, a run whose records fill the memory stops and
// keeps them, and a procedure that throws is answered as not handled. The
// memory manager's request-failure hook keeps the system from giving more.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "base/guarded_procedure_win32.h"
#include "fs/file_name.h"
#include "heap/os_memory.h"
#include "host/file_set_walk.h"
#include "host/host_commands.h"
#include "host/memory_headroom.h"
#include "host/run_state.h"
#include "host/walk_progress.h"
#include "search/run_results.h"
#include "tests/fs/scratch_dir.h"

namespace {

// Takes every block the memory manager can still give, large to small, while
// the system gives it nothing more, so that any allocation fails; gives them
// back at scope end. The blocks are chained through their first bytes.
class EveryBlockTaken {
public:
    EveryBlockTaken() {
        NH_fpFailMemoryRequest = [](NH_OsRequest, uint32_t) { return 1; };
        for (size_t size = 1u << 20; size > 1024; size /= 2)
            TakeAll(size);
        for (size_t size = 1024; size >= sizeof(void*); size -= sizeof(void*))
            TakeAll(size);
    }
    ~EveryBlockTaken() {
        NH_fpFailMemoryRequest = nullptr;
        for (void* next; _taken; _taken = next) {
            next = *static_cast<void**>(_taken);
            operator delete(_taken);
        }
    }

private:
    void TakeAll(size_t size) {
        while (void* block = operator new(size, std::nothrow)) {
            *static_cast<void**>(block) = _taken;
            _taken = block;
        }
    }
    void* _taken = nullptr;
};

TEST(ExhaustedMemory, TheStatisticsLinesAreReadWithoutMemory) {
    runResults.counters = {3, 0, 0, 10, 16, 4, 4};
    char lines[5][128];
    {
        EveryBlockTaken taken;
        for (int what = 10; what <= 14; ++what)
            strcpy(lines[what - 10], GetResultString(0, what));
    }
    EXPECT_STREQ(lines[0], "Number of files: 3");
    EXPECT_STREQ(lines[1], "Number of \"real\" characters: 10 (for a total of 16)");
    EXPECT_STREQ(lines[2], "(average is 3 \"real\" characters per file)");
    EXPECT_STREQ(lines[3], "Number of \"real\" lines: 4 (for a total of 4)");
    EXPECT_STREQ(lines[4], "(average is 1 \"real\" lines per file)");
    runResults.counters = RunCounterSet();
}

// The system has no memory left once the first file's records are in, but
// what the run itself gives back when it runs out. (Refusing from the walk's
// start would make the outcome depend on where the heap's committed pages
// happen to end when the walk begins.)
RunResults walked; // the results of the walk under test

int RefuseUntilTheRunGivesBack(NH_OsRequest, uint32_t) {
    const MemoryShortage* shortage = MemoryHeadroom::RunShortage();
    return walked.counters.filesWithHits > 0 && !(shortage && shortage->RanOut());
}

// A progress that allocates nothing: it runs while memory is short.
class QuietProgress : public WalkProgress {
public:
    int Open() override {
        NH_fpFailMemoryRequest = RefuseUntilTheRunGivesBack;
        return 1;
    }
    void KeepAlive() override {}
    void DirectoryEntered(const FileName&) override {}
    void FileProcessed(uint32_t) override {}
    void HitsChanged(const FileName&, const RunCounterSet&) override {}
    void HitListFull(int32_t records) override {
        ++fullReports;
        reportedRecords = records;
        stop = stopKeep;
    }
    WalkStop StopRequest() override { return stop; }
    void ReportFailure() override { ++failures; }

    int fullReports = 0, reportedRecords = 0, failures = 0;
    WalkStop stop = stopNone;
};

// Many files of many short hit lines: far more records than memory holds,
// whether it runs out on the walking thread or on a worker.
TEST(ExhaustedMemory, RecordsThatFillTheMemoryStopTheRunAndAreKept) {
    ScratchDir data;
    const std::string lines = [] {
        std::string text;
        for (int i = 0; i < 10000; ++i)
            text += "needle\n";
        return text;
    }();
    for (int i = 0; i < 100; ++i)
        WriteBytes(data / ("f" + std::to_string(i) + ".txt"), lines);
    for (unsigned threads : {1u, 8u}) {
        SCOPED_TRACE(threads);
        RunQuery query;
        query.text = "needle";
        query.dirList = data.Path().c_str();
        query.fileTypes = "*.txt";
        query.threads = threads;
        QuietProgress progress;
        const WalkStop result = WalkFileSet(query, progress, walked);
        NH_fpFailMemoryRequest = nullptr;
        EXPECT_EQ(result, stopKeep);
        EXPECT_EQ(progress.failures, 0);
        EXPECT_EQ(progress.fullReports, 1);
        EXPECT_GT(walked.hitList._count, 0);
        EXPECT_LT(walked.hitList._count, 100 * 10000);
        EXPECT_EQ(progress.reportedRecords, walked.hitList._count);
        EXPECT_EQ(walked.counters.hitCount, static_cast<uint32_t>(walked.hitList._count));
        walked.hitList.DeleteAll();
        walked.counters = RunCounterSet();
    }
}

INT_PTR CALLBACK ThrowingProcedure(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) throw std::runtime_error("failed");
    return FALSE;
}

TEST(GuardedProcedures, AThrowIsNotHandledAndEndsAModalDialog) {
    EXPECT_EQ((Guarded<INT_PTR, ThrowingProcedure>(nullptr, WM_INITDIALOG, 0, 0)), 0);
    // An empty dialog: style, no controls, position and size; no menu,
    // class or title.
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } empty = {{WS_POPUP, 0, 0, 0, 0, 10, 10}, 0, 0, 0};
    EXPECT_EQ(DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.header, nullptr,
                                      GuardedModalDialog<ThrowingProcedure>, 0),
              -1);
}

} // namespace

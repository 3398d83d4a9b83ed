// The progress window on the test's own thread, from the templates of the
// built library: its texts, its buttons and the failure message.
#include "host/progress_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "host/millisecond_clock.h"
#include "resources/resource.h"
#include "search/run_counters.h"
#include "tests/fs/scratch_dir.h"
#include "tests/host/trovik_exports.h"
#include "tests/ui/built_library.h"

namespace {

uint32_t fakeNow;
uint32_t FakeClock() {
    return fakeNow;
}

// The window's clock stands still unless a test moves it.
class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 0xFFFFFFF0u; // wraps during the tests
        walkClock = FakeClock;
    }
    void TearDown() override { walkClock = MillisecondClock; }
};

std::string Text(HWND window, int id) {
    char text[600] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// The lines change at most every 50 ms, from the latest values.
TEST_F(ProgressWindowTest, ShowsTheRunAsItGoes) {
    HWND window;
    {
        ProgressWindow progress(BuiltLibrary(), 0);
        ASSERT_EQ(progress.Open(), 1);
        window = progress.Window();
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
        EXPECT_EQ(Text(window, IDC_PROGRESS_HITS), "Hits: 0");
        progress.DirectoryEntered(FileName("C:\\src"));
        progress.DirectoryEntered(FileName("C:\\src\\sub"));
        progress.KeepAlive();
        EXPECT_EQ(Text(window, IDC_PROGRESS_DIRECTORY), "C:\\src\\sub");
        EXPECT_EQ(Text(window, IDC_PROGRESS_HITS), "0 Hit");
        progress.FileProcessed(17); // limited by the walk
        EXPECT_EQ(Text(window, IDC_PROGRESS_FILES), "Processed files: 17");
        RunCounterSet counters = {};
        counters.hitCount = 5;
        counters.filesWithHits = 3;
        progress.HitsChanged(FileName("C:\\src\\a.c"), counters);
        fakeNow += 49;
        progress.KeepAlive();
        EXPECT_EQ(Text(window, IDC_PROGRESS_HITS), "0 Hit");
        fakeNow += 1;
        progress.KeepAlive();
        EXPECT_EQ(Text(window, IDC_PROGRESS_HITS), "5 Hits in 3 files");
        EXPECT_EQ(Text(window, IDC_PROGRESS_LAST_HIT), "Last hit(s) found in: C:\\src\\a.c");
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ProgressWindowTest, InStatisticsModeTheHitsLineStaysEmpty) {
    ProgressWindow progress(BuiltLibrary(), 1);
    ASSERT_EQ(progress.Open(), 1);
    progress.DirectoryEntered(FileName("C:\\src"));
    progress.HitsChanged(FileName("C:\\src\\a.c"), RunCounterSet{1, 1, 1, 0, 0, 0, 0});
    progress.KeepAlive();
    EXPECT_EQ(Text(progress.Window(), IDC_PROGRESS_HITS), "");
}

// The buttons are seen when the walk dispatches the thread's messages: at
// the start of a file, at most every 10 ms.
TEST_F(ProgressWindowTest, StopAndCancelAreSeenWhenMessagesAreDispatched) {
    ProgressWindow progress(BuiltLibrary(), 0);
    ASSERT_EQ(progress.Open(), 1);
    progress.KeepAlive();
    for (int button : {IDC_PROGRESS_STOP, IDCANCEL}) {
        progress.RequestStop(stopNone);
        PostMessageA(GetDlgItem(progress.Window(), button), BM_CLICK, 0, 0);
        fakeNow += 9;
        progress.KeepAlive();
        EXPECT_EQ(progress.StopRequest(), stopNone);
        fakeNow += 1;
        progress.KeepAlive();
        EXPECT_EQ(progress.StopRequest(), button == IDCANCEL ? stopCancel : stopKeep);
    }
}

// A failure cancels the run; a full hit list stops it, keeping the records.
TEST_F(ProgressWindowTest, AFailureAndAFullHitListAreShownAndEndTheRun) {
    MessageBoxScript boxes({IDOK, IDOK});
    ProgressWindow progress(BuiltLibrary(), 0);
    ASSERT_EQ(progress.Open(), 1);
    progress.ReportFailure();
    EXPECT_EQ(progress.StopRequest(), stopCancel);
    progress.HitListFull(123456);
    EXPECT_EQ(progress.StopRequest(), stopKeep);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Error detected. Operation aborted.");
    EXPECT_EQ(boxes.Shown()[1].text, "Too many hits: the search stopped after 123456 records.");
    for (const auto& box : boxes.Shown()) {
        EXPECT_EQ(box.caption, "Trovik");
        EXPECT_EQ(box.style, static_cast<uint32_t>(MB_OK));
    }
}

TEST_F(ProgressWindowTest, WithoutItsTemplateItCannotOpen) {
    ProgressWindow progress(reinterpret_cast<ModuleHandle>(GetModuleHandleA("kernel32.dll")), 0);
    EXPECT_EQ(progress.Open(), 0);
}

} // namespace

// PacedProgress: the count of processed files is shown at once, then at most
// every 50 ms and never held back longer, wherever the millisecond clock
// starts, across its wrap too.
#include "host/paced_progress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

uint32_t clockNow = 0;
uint32_t ReadClock() {
    return clockNow;
}

// Records when (by the clock) each count reached it, and which count.
class ShownCounts : public WalkProgress {
public:
    struct Shown {
        uint32_t at, count;
    };
    std::vector<Shown> shown;

    int Open() override { return 1; }
    void KeepAlive() override {}
    void DirectoryEntered(const FileName&) override {}
    void FileProcessed(uint32_t filesProcessed) override {
        shown.push_back({clockNow, filesProcessed});
    }
    void HitsChanged(const FileName&, const RunCounterSet&) override {}
    WalkStop StopRequest() override { return stopNone; }
    void HitListFull(int32_t) override {}
    void ReportFailure() override {}
};

// One file per millisecond for 400 ms, from start points on both sides of the
// wrap (the deadline itself wraps for some, the clock for others).
TEST(PacedProgress, ShowsACountEvery50MillisecondsAcrossTheClocksWrap) {
    for (uint32_t offset = 0; offset < 0x300u; offset += 3) {
        const uint32_t start = 0xFFFFFE00u + offset;
        ShownCounts shown;
        PacedProgress paced(shown, ReadClock);
        clockNow = start;
        for (uint32_t file = 1; file <= 400; ++file, ++clockNow)
            paced.FileProcessed(file);
        ASSERT_GE(shown.shown.size(), 7u) << std::hex << start;
        EXPECT_EQ(start, shown.shown[0].at) << std::hex << start;
        for (size_t i = 1; i < shown.shown.size(); ++i) {
            const uint32_t gap = shown.shown[i].at - shown.shown[i - 1].at;
            ASSERT_TRUE(gap >= 50 && gap <= 51) << std::hex << start << " gap " << std::dec << gap;
            EXPECT_EQ(shown.shown[i].at - start + 1, shown.shown[i].count);
        }
    }
}

// A clock that stands still holds every count after the first back; one that
// jumps by seconds (a long file, a sleeping system) lets the next one through.
TEST(PacedProgress, AStillClockHoldsCountsBackAndAJumpLetsTheNextThrough) {
    for (uint32_t start : {0u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        ShownCounts shown;
        PacedProgress paced(shown, ReadClock);
        clockNow = start;
        for (uint32_t file = 1; file <= 100; ++file)
            paced.FileProcessed(file);
        clockNow += 10000;
        paced.FileProcessed(101);
        ASSERT_EQ(2u, shown.shown.size()) << start;
        EXPECT_EQ(1u, shown.shown[0].count);
        EXPECT_EQ(101u, shown.shown[1].count);
    }
}

} // namespace

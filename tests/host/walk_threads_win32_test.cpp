// How many threads a run gets. A host that declares itself single-threaded
// (InitNewHeap(0)) takes the lock off the default heap: its runs then keep
// to one thread. The declaration is process-wide, hence a program of its own.
#include "heap/heap.h"
#include "host/entries_walk.h"

#include <gtest/gtest.h>

namespace {

TEST(WalkThreads, AsAskedUpToSixteenAndOneWithoutAHeapLock) {
    EXPECT_EQ(WalkThreads(1), 1u);
    EXPECT_EQ(WalkThreads(3), 3u);
    EXPECT_EQ(WalkThreads(99), 16u);
    EXPECT_GE(WalkThreads(0), 1u);
    { InitNewHeap singleThreaded(0); }
    ASSERT_EQ(DefaultHeap._lockInUse, 0);
    EXPECT_EQ(WalkThreads(8), 1u);
    EXPECT_EQ(WalkThreads(0), 1u);
}

} // namespace

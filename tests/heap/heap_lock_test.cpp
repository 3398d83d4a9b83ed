// The recursive heap lock: ownership, recursion and mutual exclusion under
// contention (including threads that end up asleep on its event).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "heap/heap.h"

namespace {

TEST(HeapLock, IsRecursiveAndFreeAfterTheLastLeave) {
    NH_HeapLock lock;
    NH_HeapLockInit(&lock);
    NH_HeapLockEnter(&lock);
    NH_HeapLockEnter(&lock);
    EXPECT_EQ(NH_CurrentThreadId(), lock.owningThread);
    EXPECT_EQ(2, lock.recursionCount);
    NH_HeapLockLeave(&lock);
    EXPECT_EQ(NH_CurrentThreadId(), lock.owningThread);
    NH_HeapLockLeave(&lock);
    EXPECT_EQ(0u, lock.owningThread);
    EXPECT_EQ(0, lock.recursionCount);
    NH_HeapLockDelete(&lock);
}

TEST(HeapLock, ExcludesOtherThreadsUntilReleased) {
    NH_HeapLock lock;
    NH_HeapLockInit(&lock);
    NH_HeapLockEnter(&lock);
    std::atomic<int> entered{0};
    std::thread other([&] {
        NH_HeapLockEnter(&lock);
        entered = 1;
        NH_HeapLockLeave(&lock);
    });
    // Long enough for the other thread to fall asleep.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(0, entered);
    NH_HeapLockLeave(&lock);
    other.join();
    EXPECT_EQ(1, entered);
    EXPECT_EQ(0, lock.waiters);
    NH_HeapLockDelete(&lock);
}

// Non-atomic increments under the lock lose nothing; held sections are long
// enough now and then that waiters spin, yield and sleep.
TEST(HeapLock, CountsUnderContentionAreExact) {
    NH_Heap heap(NH_THREAD_SAFE, "contended");
    const int kThreads = 4, kRounds = 20000;
    volatile int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                heap.Lock();
                heap.Lock(); // recursive, as Clear freeing virtual blocks does
                counter = counter + 1;
                if (round % 1000 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                heap.Unlock();
                heap.Unlock();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(kThreads * kRounds, counter);
    EXPECT_EQ(0u, heap._lock.owningThread);
}

} // namespace

// Slow paths of the heap lock over Linux futexes: a thread that finds the
// lock taken spins and yields a little, then sleeps on the lock's wakeup
// word, which every leaving thread that sees sleepers bumps and wakes.

#include "heap/heap_lock.h"

#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const int kSpins = 256;
const int kYields = 8;

void Futex(uint32_t* word, int operation, uint32_t value) {
    syscall(SYS_futex, word, operation | FUTEX_PRIVATE_FLAG, value, nullptr, nullptr, 0);
}

} // namespace

// The kernel's thread id: never 0, unique among running threads.
__thread uint32_t NH_threadId;

uint32_t NH_AskThreadId() {
    NH_threadId = static_cast<uint32_t>(syscall(SYS_gettid));
    return NH_threadId;
}

void NH_HeapLockInit(NH_HeapLock* lock) {
    *lock = NH_HeapLock();
}

void NH_HeapLockDelete(NH_HeapLock* lock) {
    *lock = NH_HeapLock();
}

void NH_HeapLockEnterContended(NH_HeapLock* lock, uint32_t thread) {
    for (int spin = 0; spin < kSpins; ++spin) {
        if (NH_HeapLockTryTake(lock, thread)) return;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    for (int yield = 0; yield < kYields; ++yield) {
        if (NH_HeapLockTryTake(lock, thread)) return;
        sched_yield();
    }
    // Counted as a sleeper before the last look: a leaving thread either is
    // seen holding the lock and then bumps the word, or has left already.
    __atomic_add_fetch(&lock->waiters, 1, __ATOMIC_SEQ_CST);
    for (;;) {
        const uint32_t seen = __atomic_load_n(&lock->wakeups, __ATOMIC_SEQ_CST);
        if (NH_HeapLockTryTake(lock, thread)) break;
        Futex(&lock->wakeups, FUTEX_WAIT, seen); // returns at once if bumped since
    }
    __atomic_sub_fetch(&lock->waiters, 1, __ATOMIC_SEQ_CST);
}

void NH_HeapLockWake(NH_HeapLock* lock) {
    __atomic_add_fetch(&lock->wakeups, 1, __ATOMIC_SEQ_CST);
    Futex(&lock->wakeups, FUTEX_WAKE, 1);
}

// Slow paths of the heap lock: contention and its event.

#include "heap/heap_lock.h"

#include <windows.h>

static_assert(sizeof(NH_HeapLock) == sizeof(CRITICAL_SECTION),
              "the heap lock must take the place of a critical section");

namespace {

// Spinning helps only when the holder runs on another processor.
const int kSpins = 256;
const int kYields = 8;
// How long a sleeper naps between looks when its event could not be made.
const DWORD kSleepMilliseconds = 1;

// Not a function-local static: its guard is the runtime's one-time
// initialisation, which allocates, and the allocation may come back here
// while the guard is held: two threads then wait for each other for ever.
bool SeveralProcessors() {
    static int several = -1; // -1 until first asked; every thread writes the same value
    int known = __atomic_load_n(&several, __ATOMIC_RELAXED);
    if (known < 0) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        known = info.dwNumberOfProcessors > 1;
        __atomic_store_n(&several, known, __ATOMIC_RELAXED);
    }
    return known != 0;
}

HANDLE EventOf(NH_HeapLock* lock) {
    void* event = __atomic_load_n(&lock->event, __ATOMIC_ACQUIRE);
    if (event) return event;
    HANDLE made = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!made) return nullptr; // the sleeper then only naps
    void* none = nullptr;
    if (__atomic_compare_exchange_n(&lock->event, &none, made, false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE))
        return made;
    CloseHandle(made); // another thread was first
    return none;
}

} // namespace

#if !defined(__i386__)
uint32_t NH_CurrentThreadId() {
    return GetCurrentThreadId();
}
#endif

void NH_HeapLockInit(NH_HeapLock* lock) {
    *lock = NH_HeapLock();
}

void NH_HeapLockDelete(NH_HeapLock* lock) {
    if (lock->event) CloseHandle(lock->event);
    *lock = NH_HeapLock();
}

void NH_HeapLockEnterContended(NH_HeapLock* lock, uint32_t thread) {
    if (SeveralProcessors()) {
        for (int spin = 0; spin < kSpins; ++spin) {
            if (NH_HeapLockTryTake(lock, thread)) return;
            __builtin_ia32_pause();
        }
    }
    for (int yield = 0; yield < kYields; ++yield) {
        if (NH_HeapLockTryTake(lock, thread)) return;
        SwitchToThread();
    }
    // The event exists before the thread counts as a sleeper, so a leaving
    // thread that sees the count also finds the event to signal.
    HANDLE event = EventOf(lock);
    __atomic_add_fetch(&lock->waiters, 1, __ATOMIC_SEQ_CST);
    while (!NH_HeapLockTryTake(lock, thread)) {
        if (event)
            WaitForSingleObject(event, INFINITE);
        else
            Sleep(kSleepMilliseconds);
    }
    __atomic_sub_fetch(&lock->waiters, 1, __ATOMIC_SEQ_CST);
}

void NH_HeapLockWake(NH_HeapLock* lock) {
    if (void* event = __atomic_load_n(&lock->event, __ATOMIC_ACQUIRE)) SetEvent(event);
}

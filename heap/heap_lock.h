#pragma once
// The lock of a thread-safe heap: recursive, owned by one thread at a time,
// with the size of a Windows CRITICAL_SECTION (the field it lives in keeps
// its place in the exported heap layout). Cheaper than a critical section:
// taking a free lock is one compare-exchange on the owner's thread id,
// leaving it one exchange. A thread that finds the lock taken spins
// briefly (several processors only), yields its time slice a few times, and
// then sleeps on an event that the leaving thread signals (natively: waits
// on a futex word that the leaving thread bumps).
//
// Not to be copied or moved while in use; Init before use, Delete at the end.

#include <cstdint>

struct NH_HeapLock {
    uint32_t owningThread;  // thread id of the holder; 0 when free
    int32_t recursionCount; // entries of the holder not yet left
    int32_t waiters;        // threads asleep (or about to sleep) on the event
    void* event;            // Windows: auto-reset event, made on first contention
    uint32_t wakeups;       // native: futex word, bumped by every wake
    // Not part of the lock: the heap's thread-cache epoch (heap/thread_cache.h),
    // kept in the lock's spare word because the heap's layout has no other
    // room. 0 until a thread cache binds to the heap, and again whenever the
    // heap's blocks all become invalid (Init, InitHeap, Clear).
    uint32_t cacheEpoch;
};

void NH_HeapLockInit(NH_HeapLock* lock);
// Closes the event; the lock must be free.
void NH_HeapLockDelete(NH_HeapLock* lock);
// The slow paths: taking a lock another thread holds, waking a sleeper.
void NH_HeapLockEnterContended(NH_HeapLock* lock, uint32_t thread);
void NH_HeapLockWake(NH_HeapLock* lock);

#if defined(_WIN32) && defined(__i386__)
// The calling thread's id, read from its thread environment block.
inline uint32_t NH_CurrentThreadId() {
    uint32_t id;
    __asm__("movl %%fs:0x24, %0" : "=r"(id));
    return id;
}
#elif defined(_WIN32)
uint32_t NH_CurrentThreadId();
#else
// The kernel's thread id, asked once per thread (heap_lock_native.cpp).
extern __thread uint32_t NH_threadId;
uint32_t NH_AskThreadId();
inline uint32_t NH_CurrentThreadId() {
    return NH_threadId ? NH_threadId : NH_AskThreadId();
}
#endif

// Takes the lock for `thread` if it is free (the slow paths' retries): a
// plain look first, so that waiting threads do not fight over the line.
inline bool NH_HeapLockTryTake(NH_HeapLock* lock, uint32_t thread) {
    uint32_t expected = 0;
    if (__atomic_load_n(&lock->owningThread, __ATOMIC_RELAXED) != 0) return false;
    if (!__atomic_compare_exchange_n(&lock->owningThread, &expected, thread, false,
                                     __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
        return false;
    lock->recursionCount = 1;
    return true;
}

inline void NH_HeapLockEnter(NH_HeapLock* lock) {
    const uint32_t self = NH_CurrentThreadId();
    if (__atomic_load_n(&lock->owningThread, __ATOMIC_RELAXED) == self) {
        ++lock->recursionCount;
        return;
    }
    uint32_t expected = 0;
    if (__atomic_compare_exchange_n(&lock->owningThread, &expected, self, false, __ATOMIC_ACQUIRE,
                                    __ATOMIC_RELAXED))
        lock->recursionCount = 1;
    else
        NH_HeapLockEnterContended(lock, self);
}

// The caller holds the lock.
inline void NH_HeapLockLeave(NH_HeapLock* lock) {
    if (--lock->recursionCount != 0) return;
    // A full barrier (a locked exchange) between freeing the lock and reading
    // `waiters`: a thread that announced itself as a sleeper either sees the
    // lock free or is seen here and woken.
    __atomic_exchange_n(&lock->owningThread, 0, __ATOMIC_SEQ_CST);
    if (__atomic_load_n(&lock->waiters, __ATOMIC_SEQ_CST) != 0) NH_HeapLockWake(lock);
}

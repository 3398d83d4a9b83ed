// Mutex and ConditionVariable: the locks of the threads that search one run.
// On Windows they are the system's slim reader/writer lock and condition
// variable, whose waits and wake-ups stay inside the process (under Wine the
// standard library's, built over events and semaphores, cost a request to
// the server at every hand-over between two threads, several per file).
// Natively they are the standard library's, which ThreadSanitizer follows.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#ifndef _WIN32
#include <condition_variable>
#endif

class Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    // Lower case, so that std::unique_lock and std::lock_guard take it.
    void lock();
    void unlock();

private:
    friend class ConditionVariable;
#ifdef _WIN32
    void* _lock = nullptr; // an SRWLOCK, unlocked when null
#else
    std::mutex _mutex;
#endif
};

class ConditionVariable {
public:
    using Lock = std::unique_lock<Mutex>;

    ConditionVariable() = default;
    ConditionVariable(const ConditionVariable&) = delete;
    ConditionVariable& operator=(const ConditionVariable&) = delete;

    // Releases the lock until a notification, `timeout` or a spurious wake,
    // and takes it again.
    void WaitFor(Lock& lock, std::chrono::milliseconds timeout);
    void Wait(Lock& lock);

    template <class Ready>
    void Wait(Lock& lock, Ready ready) {
        while (!ready())
            Wait(lock);
    }
    // Waits until `ready` holds or `timeout` has passed; returns ready().
    template <class Ready>
    bool WaitFor(Lock& lock, std::chrono::milliseconds timeout, Ready ready) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!ready()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return ready();
            WaitFor(lock, left);
        }
        return true;
    }

    void NotifyOne();
    void NotifyAll();

private:
#ifdef _WIN32
    void* _condition = nullptr; // a CONDITION_VARIABLE, no waiter when null
#else
    std::condition_variable _condition;
#endif
};

// The calling thread's number, unique among the running threads; nonzero.
// Asks nothing of the memory manager, so that a new-handler may call it.
uint32_t CurrentThreadNumber();

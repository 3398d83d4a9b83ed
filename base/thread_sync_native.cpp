#include "base/thread_sync.h"

#include <sys/syscall.h>
#include <unistd.h>

void Mutex::lock() {
    _mutex.lock();
}

void Mutex::unlock() {
    _mutex.unlock();
}

// The standard condition variable waits on a lock of the standard mutex: it
// borrows the one inside the Mutex, which the caller holds.
void ConditionVariable::WaitFor(Lock& lock, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> inner(lock.mutex()->_mutex, std::adopt_lock);
    _condition.wait_for(inner, timeout);
    inner.release();
}

void ConditionVariable::Wait(Lock& lock) {
    std::unique_lock<std::mutex> inner(lock.mutex()->_mutex, std::adopt_lock);
    _condition.wait(inner);
    inner.release();
}

void ConditionVariable::NotifyOne() {
    _condition.notify_one();
}

void ConditionVariable::NotifyAll() {
    _condition.notify_all();
}

uint32_t CurrentThreadNumber() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

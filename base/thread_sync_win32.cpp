// The slim locks came with Windows Vista; the library's other imports need
// it already.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "base/thread_sync.h"

#include <windows.h>

namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*),
              "the slim locks are one pointer, zero when free");

PSRWLOCK AsLock(void*& state) {
    return reinterpret_cast<PSRWLOCK>(&state);
}

PCONDITION_VARIABLE AsCondition(void*& state) {
    return reinterpret_cast<PCONDITION_VARIABLE>(&state);
}

} // namespace

void Mutex::lock() {
    AcquireSRWLockExclusive(AsLock(_lock));
}

void Mutex::unlock() {
    ReleaseSRWLockExclusive(AsLock(_lock));
}

void ConditionVariable::WaitFor(Lock& lock, std::chrono::milliseconds timeout) {
    const DWORD milliseconds = timeout.count() >= INFINITE ? INFINITE - 1 : DWORD(timeout.count());
    SleepConditionVariableSRW(AsCondition(_condition), AsLock(lock.mutex()->_lock), milliseconds,
                              0);
}

void ConditionVariable::Wait(Lock& lock) {
    SleepConditionVariableSRW(AsCondition(_condition), AsLock(lock.mutex()->_lock), INFINITE, 0);
}

void ConditionVariable::NotifyOne() {
    WakeConditionVariable(AsCondition(_condition));
}

void ConditionVariable::NotifyAll() {
    WakeAllConditionVariable(AsCondition(_condition));
}

uint32_t CurrentThreadNumber() {
    return GetCurrentThreadId();
}

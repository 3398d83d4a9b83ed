#include "search/mapping_budget.h"

#include <algorithm>
#include <chrono>

#include "search/search_pulse.h"

int MappingBudget::Take(uint64_t bytes, SearchPulse* pulse) {
    ConditionVariable::Lock lock(_mutex);
    const uint64_t ticket = _nextTicket++;
    _queue.push_back(ticket);
    auto served = [&] {
        return _queue.front() == ticket && (_inUse == 0 || _inUse + bytes <= _bytes);
    };
    while (!served()) {
        if (pulse) {
            lock.unlock();
            const int stop = pulse->Pulse();
            lock.lock();
            if (stop) {
                _queue.erase(std::find(_queue.begin(), _queue.end(), ticket));
                _changed.NotifyAll();
                return 0;
            }
            if (served()) break;
        }
        _changed.WaitFor(lock, std::chrono::milliseconds(dispatchPeriod));
    }
    _queue.pop_front();
    _inUse += bytes;
    _changed.NotifyAll(); // the next in the queue may fit beside it
    return 1;
}

void MappingBudget::Give(uint64_t bytes) {
    std::lock_guard<Mutex> lock(_mutex);
    _inUse -= bytes;
    _changed.NotifyAll();
}

uint64_t MappingBudget::InUse() {
    std::lock_guard<Mutex> lock(_mutex);
    return _inUse;
}

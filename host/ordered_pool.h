// OrderedPool: the jobs of a walk (its files, numbered in walk order) done by
// a pool of worker threads, and their results handed to one consumer strictly
// in that order, so that what the consumer builds equals a one-thread run.
//
// Three parties: a lister that submits the jobs in walk order (on a thread of
// its own, started by List), the workers, and the consumer (the host's
// thread), which takes the results with TakeNext between its own duties. The
// jobs submitted and not yet taken are bounded, so that results done ahead of
// a slow file cannot fill a 32-bit address space: the lister waits instead.
//
// Stop: the workers see it through the pulse of the job they search, and no
// further job starts. A result is whole when its job ended without its pulse
// asking to stop; the consumer takes whole results only, so a stopped run
// keeps exactly the results of a prefix of the walk. Every thread ends in
// the destructor (joined), whatever happened.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <thread>
#include <vector>

#include "base/thread_sync.h"
#include "search/search_pulse.h"

template <class Job, class Result>
class OrderedPool {
public:
    // Does `job` into `result` on worker number `worker` (0 to threads - 1, so
    // that a worker may keep its own workspace), calling `pulse` as it goes and
    // ending early when it returns nonzero. Must not throw.
    using Work = std::function<void(unsigned worker, Job& job, Result& result, SearchPulse& pulse)>;
    // Submits the walk's jobs through Submit; returns when the walk is over or
    // Submit said no. EndOfWalk follows by itself.
    using Lister = std::function<void(OrderedPool& pool)>;

    enum Take { taken, waiting, finished };

    // `threads` workers (at least 1); at most `bound` jobs (at least 1)
    // submitted and not yet taken.
    OrderedPool(unsigned threads, size_t bound, Work work)
        : _bound(bound ? bound : 1),
          _wakeBatch(std::max<size_t>(1, std::min<size_t>(_bound / 4, 16))),
          _work(std::move(work)) {
        if (threads == 0) threads = 1;
        _running = threads; // a failure to start them all ends those started here
        try {
            _workers.reserve(threads);
            for (unsigned i = 0; i < threads; ++i)
                _workers.emplace_back([this, i] {
                    WorkerLoop(i);
                    Ended();
                });
        } catch (...) {
            // A thread or memory that could not be had: no destructor will end
            // the workers started, so they end here before the failure goes on.
            Stop();
            for (std::thread& worker : _workers)
                worker.join();
            throw;
        }
    }

    ~OrderedPool() {
        Stop();
        if (_lister.joinable()) _lister.join();
        for (std::thread& worker : _workers)
            worker.join();
    }

    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    // Runs `lister` on a thread of its own; call once.
    void List(Lister lister) {
        {
            std::lock_guard<Mutex> lock(_mutex);
            ++_running;
        }
        try {
            _lister = std::thread([this, lister = std::move(lister)] {
                lister(*this);
                EndOfWalk();
                Ended();
            });
        } catch (...) {
            Ended();
            throw;
        }
    }

    // Any thread but the pool's: waits at most `waitMs` milliseconds for
    // every thread of the pool to end (after Stop, or the walk's end), so
    // that a caller can keep its windows answered in between. True when
    // they have: the destructor then joins them at once.
    bool WaitEnded(unsigned waitMs) {
        ConditionVariable::Lock lock(_mutex);
        return _done.WaitFor(lock, std::chrono::milliseconds(waitMs),
                             [this] { return _running == 0; });
    }

    // Lister: queues `job` as the walk's next, waiting while the bound is
    // reached. Returns 0 (and drops the job) once the run is stopped.
    int Submit(Job job) {
        ConditionVariable::Lock lock(_mutex);
        if (!_stopped && _slots.size() >= _bound) {
            _listerWaits = true;
            _room.Wait(lock, [this] { return _stopped || _slots.size() < _bound; });
            _listerWaits = false;
        }
        if (_stopped) return 0;
        _slots.push_back(Slot{std::move(job), Result(), Slot::queued, false});
        if (_idleWorkers) _ready.NotifyOne(); // one job for one worker
        return 1;
    }

    // Lister: no job follows.
    void EndOfWalk() {
        std::lock_guard<Mutex> lock(_mutex);
        _walkOver = true;
        _ready.NotifyAll();
        _done.NotifyOne(); // every result may be in already
    }

    // Consumer: moves the next result in walk order into `result` (taken);
    // waits at most `waitMs` milliseconds for it (waiting); finished when the
    // walk is over and every result is taken, or after a stop when the next
    // result is not whole or will not come. A waiting consumer is woken when
    // a batch of results is ready in order, not for each (under Wine every
    // wake-up of a thread on another processor is dear): call it again until
    // it waits.
    Take TakeNext(Result& result, unsigned waitMs) {
        ConditionVariable::Lock lock(_mutex);
        auto state = [this] {
            if (!_slots.empty()) {
                const Slot& head = _slots.front();
                if (head.state == Slot::done) return head.whole || !_stopped ? taken : finished;
                if (head.state == Slot::queued && _stopped) return finished;
                return waiting;
            }
            return _walkOver || _stopped ? finished : waiting;
        };
        Take now = state();
        if (now == waiting) {
            _consumerWaits = true;
            _done.WaitFor(lock, std::chrono::milliseconds(waitMs),
                          [&] { return (now = state()) != waiting; });
            _consumerWaits = false;
        }
        if (now != taken) return now;
        result = std::move(_slots.front().result);
        _slots.pop_front();
        --_nextToRun;
        // The lister refills once half the room is free, or at once when the
        // workers have no job left.
        if (_listerWaits && (_slots.size() <= _bound / 2 || _nextToRun == _slots.size()))
            _room.NotifyOne();
        return taken;
    }

    // Any thread: whether Stop was called.
    int StopRequested() const { return _stopRequest.load(std::memory_order_relaxed); }

    // Any thread: the jobs being done end at their next pulse, no job starts.
    void Stop() {
        std::lock_guard<Mutex> lock(_mutex);
        _stopped = true;
        _stopRequest.store(true, std::memory_order_relaxed);
        _ready.NotifyAll();
        _room.NotifyAll();
        _done.NotifyAll();
    }

private:
    struct Slot {
        Job job;
        Result result;
        enum State { queued, running, done } state;
        bool whole; // done without its pulse asking to stop
    };

    // A job's pulse: remembers whether it asked the job to end.
    class StopPulse : public SearchPulse {
    public:
        explicit StopPulse(const std::atomic<bool>& stop) : _stop(stop) {}
        int Pulse() override {
            if (_stop.load(std::memory_order_relaxed)) _fired = true;
            return _fired;
        }
        bool Fired() const { return _fired; }

    private:
        const std::atomic<bool>& _stop;
        bool _fired = false;
    };

    void WorkerLoop(unsigned worker) {
        ConditionVariable::Lock lock(_mutex);
        for (;;) {
            if (!_stopped && _nextToRun == _slots.size() && !_walkOver) {
                // No job: a lister that waits for room while some is free
                // lists on.
                if (_listerWaits && _slots.size() < _bound) _room.NotifyOne();
                ++_idleWorkers;
                _ready.Wait(lock,
                            [this] { return _stopped || _nextToRun < _slots.size() || _walkOver; });
                --_idleWorkers;
            }
            if (_stopped || _nextToRun == _slots.size()) return;
            // A deque keeps its elements in place as others are added or taken
            // from the front, and the consumer takes only done slots.
            Slot& slot = _slots[_nextToRun++];
            slot.state = Slot::running;
            lock.unlock();
            StopPulse pulse(_stopRequest);
            _work(worker, slot.job, slot.result, pulse);
            lock.lock();
            slot.whole = !pulse.Fired();
            slot.state = Slot::done;
            if (_consumerWaits && BatchReady()) _done.NotifyOne();
        }
    }

    // A thread of the pool is about to end.
    void Ended() {
        std::lock_guard<Mutex> lock(_mutex);
        --_running;
        _done.NotifyAll();
    }

    // Whether the results done in order from the head make a batch worth
    // waking the consumer for, or are the walk's last.
    bool BatchReady() const {
        size_t inOrder = 0;
        while (inOrder < _slots.size() && _slots[inOrder].state == Slot::done)
            if (++inOrder == _wakeBatch) return true;
        return inOrder > 0 && inOrder == _slots.size() && _walkOver;
    }

    const size_t _bound;
    const size_t _wakeBatch; // results in order that wake a waiting consumer
    const Work _work;
    Mutex _mutex;
    ConditionVariable _ready; // a job was queued, or the walk ended or stopped
    ConditionVariable _room;  // a result was taken, or the run stopped
    ConditionVariable _done;  // a job was done, the run stopped or a thread ended
    std::deque<Slot> _slots;  // submitted, not yet taken, in walk order
    size_t _nextToRun = 0;    // index in _slots of the first queued job
    bool _walkOver = false;
    bool _stopped = false;
    bool _listerWaits = false;             // for room
    bool _consumerWaits = false;           // for the next result
    unsigned _idleWorkers = 0;             // waiting for a job
    unsigned _running = 0;                 // workers and lister not yet ended
    std::atomic<bool> _stopRequest{false}; // _stopped, for the pulses without the lock
    std::vector<std::thread> _workers;
    std::thread _lister;
};

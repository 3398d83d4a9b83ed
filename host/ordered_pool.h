// OrderedPool: the jobs of a walk (its files, numbered in walk order) done by
// a pool of worker threads and by the consumer itself, and their results
// handed to the consumer strictly in that order, so that what it builds
// equals a one-thread run.
//
// Two parties: the consumer (the walking thread, the host's), which lists
// the walk and submits its jobs in walk order, and takes the results with
// TakeReady and TakeNext between its own duties; and the workers. The jobs
// submitted and not yet taken are bounded, so that results done ahead of a
// slow file cannot fill a 32-bit address space: once the bound is reached
// (Full), the consumer takes before it submits more, and rather than wait
// for the next result it does the next queued job itself. So `-j N` is N
// searching threads (N - 1 workers and the consumer), none of them waiting
// while there is a job to do.
//
// Stop: the jobs being done see it through their pulse, and no further job
// starts. A result is whole when its job ended without its pulse asking to
// stop; the consumer takes whole results only, so a stopped run keeps exactly
// the results of a prefix of the walk. Every worker ends in the destructor
// (joined), whatever happened.
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
    // Does `job` into `result` on worker number `worker` (0 to workers - 1,
    // the consumer being number `workers`, so that each may keep its own
    // workspace), calling `pulse` as it goes and ending early when it returns
    // nonzero. Must not throw.
    using Work = std::function<void(unsigned worker, Job& job, Result& result, SearchPulse& pulse)>;

    enum Take { taken, waiting, finished };

    // `workers` threads of the pool's own (0: the consumer does every job);
    // at most `bound` jobs (at least 1) submitted and not yet taken.
    OrderedPool(unsigned workers, size_t bound, Work work)
        : _workerCount(workers), _bound(bound ? bound : 1),
          _wakeBatch(std::max<size_t>(1, std::min<size_t>(_bound / 4, 16))),
          _work(std::move(work)) {
        _running = workers; // a failure to start them all ends those started here
        try {
            _workers.reserve(workers);
            for (unsigned i = 0; i < workers; ++i)
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
        for (std::thread& worker : _workers)
            worker.join();
    }

    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    // Any thread but the pool's: waits at most `waitMs` milliseconds for
    // every worker to end (after Stop, or the walk's end), so that a caller
    // can keep its windows answered in between. True when they have: the
    // destructor then joins them at once.
    bool WaitEnded(unsigned waitMs) {
        ConditionVariable::Lock lock(_mutex);
        return _done.WaitFor(lock, std::chrono::milliseconds(waitMs),
                             [this] { return _running == 0; });
    }

    enum Submitted {
        refused, // the run is stopped: the job is dropped
        queued,
        full // queued, and the bound is reached: take before submitting more
    };

    // Consumer: queues `job` as the walk's next; never waits.
    Submitted Submit(Job job) {
        ConditionVariable::Lock lock(_mutex);
        if (_stopped) return refused;
        _slots.push_back(Slot{std::move(job), Result(), Slot::queued, false});
        const Submitted submitted = _slots.size() >= _bound ? full : queued;
        // An idle worker is woken for a batch of jobs, not for each: the
        // consumer does the jobs that wait when it would wait itself.
        if (_slots.size() - _nextToRun >= _wakeBatch) WakeIdleWorker(lock);
        return submitted;
    }

    // Consumer: whether the bound is reached, so that the next result is to
    // be taken (TakeNext) before a job is submitted. Slots are added and
    // taken by the consumer alone, so it reads their count without the lock
    // (which it would take once more for every file).
    bool Full() const { return _slots.size() >= _bound; }

    // Consumer: no job follows.
    void EndOfWalk() {
        std::lock_guard<Mutex> lock(_mutex);
        _walkOver = true;
        _ready.NotifyAll();
    }

    // Consumer: moves the next result in walk order into `result` when it is
    // done (taken); otherwise says waiting, or finished when the walk is over
    // and every result is taken, or after a stop when the next result is not
    // whole or will not come. Neither waits nor works.
    Take TakeReady(Result& result) {
        Release(result);
        std::lock_guard<Mutex> lock(_mutex);
        return TakeHead(result);
    }

    // Consumer: as TakeReady, but when the next result is not done, does the
    // next queued job itself (waiting), its `pulse` called beside the stop's
    // (the run stops when it asks the job to end); with no job queued, waits
    // at most `waitMs` milliseconds for the next result. A waiting consumer is woken when a batch
    // of results is ready in order, not for each (under Wine every wake-up of a thread on another
    // processor is dear): call it again until it waits.
    Take TakeNext(Result& result, unsigned waitMs, SearchPulse& pulse) {
        Release(result);
        ConditionVariable::Lock lock(_mutex);
        Take now = TakeHead(result);
        if (now != waiting) return now;
        if (!_stopped && _nextToRun < _slots.size()) {
            RunNext(_workerCount, lock, &pulse);
            return TakeHead(result);
        }
        _consumerWaits = true;
        _done.WaitFor(lock, std::chrono::milliseconds(waitMs),
                      [&] { return HeadState() != waiting; });
        _consumerWaits = false;
        return TakeHead(result);
    }

    // Any thread: the jobs being done end at their next pulse, no job starts.
    void Stop() {
        std::lock_guard<Mutex> lock(_mutex);
        StopLocked();
    }

private:
    struct Slot {
        Job job;
        Result result;
        enum State { queued, running, done } state;
        bool whole; // done without its pulse asking to stop
    };

    void StopLocked() {
        _stopped = true;
        _stopRequest.store(true, std::memory_order_relaxed);
        _ready.NotifyAll();
        _done.NotifyAll();
    }

    // A job's pulse: remembers whether it asked the job to end, at the stop
    // or at the consumer's own pulse.
    class StopPulse : public SearchPulse {
    public:
        StopPulse(const std::atomic<bool>& stop, SearchPulse* also) : _stop(stop), _also(also) {}
        int Pulse() override {
            if (!_fired)
                _fired = _stop.load(std::memory_order_relaxed) || (_also && _also->Pulse() != 0);
            return _fired;
        }
        bool Fired() const { return _fired; }

    private:
        const std::atomic<bool>& _stop;
        SearchPulse* const _also;
        bool _fired = false;
    };

    // What `result` held (the result taken before) goes before the lock is
    // taken: freeing it can take a while (memory that another thread
    // allocated is freed under that thread's heap lock), which would hold up
    // the workers waiting for the pool's lock.
    static void Release(Result& result) { result = Result(); }

    // Under the lock: what taking the next result would give now.
    Take HeadState() const {
        if (!_slots.empty()) {
            const Slot& head = _slots.front();
            if (head.state == Slot::done) return head.whole || !_stopped ? taken : finished;
            if (head.state == Slot::queued && _stopped) return finished;
            return waiting;
        }
        return _walkOver || _stopped ? finished : waiting;
    }

    Take TakeHead(Result& result) {
        const Take now = HeadState();
        if (now != taken) return now;
        result = std::move(_slots.front().result);
        _slots.pop_front();
        --_nextToRun;
        return taken;
    }

    // Under `lock`, released meanwhile: does the next queued job as worker
    // number `worker`.
    void RunNext(unsigned worker, ConditionVariable::Lock& lock, SearchPulse* also) {
        // A deque keeps its elements in place as others are added or taken
        // from the front, and the consumer takes only done slots.
        Slot& slot = _slots[_nextToRun++];
        slot.state = Slot::running;
        // The jobs queued behind it are an idle worker's.
        const bool wake = _nextToRun < _slots.size() && _idleWorkers > _wakingWorkers;
        if (wake) ++_wakingWorkers;
        lock.unlock();
        if (wake) _ready.NotifyOne();
        StopPulse pulse(_stopRequest, also);
        _work(worker, slot.job, slot.result, pulse);
        lock.lock();
        slot.whole = !pulse.Fired();
        slot.state = Slot::done;
        // The consumer's own pulse asked to stop: the run stops with this job.
        if (!slot.whole && !_stopped) StopLocked();
    }

    void WorkerLoop(unsigned worker) {
        ConditionVariable::Lock lock(_mutex);
        for (;;) {
            if (!_stopped && _nextToRun == _slots.size() && !_walkOver) {
                ++_idleWorkers;
                _ready.Wait(lock,
                            [this] { return _stopped || _nextToRun < _slots.size() || _walkOver; });
                --_idleWorkers;
                if (_wakingWorkers) --_wakingWorkers;
            }
            if (_stopped || _nextToRun == _slots.size()) return;
            RunNext(worker, lock, nullptr);
            if (_consumerWaits && BatchReady()) {
                _consumerWaits = false; // woken once
                Notify(_done, lock);
            }
        }
    }

    // Under `lock`: wakes a worker that waits for a job and is not woken yet.
    void WakeIdleWorker(ConditionVariable::Lock& lock) {
        if (_idleWorkers <= _wakingWorkers) return;
        ++_wakingWorkers;
        Notify(_ready, lock);
    }

    // Wakes a thread that waits on `wakes` with the lock released, so that
    // it does not wake only to wait for the lock that its waker holds.
    void Notify(ConditionVariable& wakes, ConditionVariable::Lock& lock) {
        lock.unlock();
        wakes.NotifyOne();
        lock.lock();
    }

    // A worker is about to end.
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

    const unsigned _workerCount;
    const size_t _bound;
    const size_t _wakeBatch; // results in order that wake a waiting consumer, or
                             // jobs queued that wake an idle worker
    const Work _work;
    Mutex _mutex;
    ConditionVariable _ready; // a job was queued, or the walk ended or stopped
    ConditionVariable _done;  // a job was done, the run stopped or a worker ended
    std::deque<Slot> _slots;  // submitted, not yet taken, in walk order
    size_t _nextToRun = 0;    // index in _slots of the first queued job
    bool _walkOver = false;
    bool _stopped = false;
    bool _consumerWaits = false;           // for the next result
    unsigned _idleWorkers = 0;             // waiting for a job
    unsigned _wakingWorkers = 0;           // of them, woken and not yet running
    unsigned _running = 0;                 // workers not yet ended
    std::atomic<bool> _stopRequest{false}; // _stopped, for the pulses without the lock
    std::vector<std::thread> _workers;
};

// The threaded walk's ordering under ThreadSanitizer: random walks listed by
// the consumer and done by it with 0, 1 and 7 workers give the one-thread
// results in walk order; stopped at random points (by the consumer, by its
// own search's pulse, by another thread), they give a prefix of them;
// abandoned, every thread still ends. The
// files are in memory: a file is a number of work units, some of which make a
// record, and a few files fail as an unreadable file does. The workers' shared
// bound on mapped bytes never lets them past it but to map one file alone.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "host/ordered_pool.h"
#include "search/mapping_budget.h"
#include "tests/host/threads/pool_consumer.h"

namespace {

struct MemoryFile {
    uint32_t units;  // pulses while it is searched
    uint32_t seed;   // which units make a record
    bool unreadable; // fails as a file that cannot be opened does
};

struct FileResult {
    std::vector<uint32_t> records;
    bool notRead = false;
    bool operator==(const FileResult& other) const {
        return records == other.records && notRead == other.notRead;
    }
};

using Pool = OrderedPool<MemoryFile, FileResult>;

int failures = 0;

void Check(bool holds, const char* what, unsigned seed) {
    if (holds) return;
    std::fprintf(stderr, "FAILED (seed %u): %s\n", seed, what);
    ++failures;
}

std::vector<MemoryFile> RandomWalk(std::mt19937& random) {
    std::vector<MemoryFile> walk(random() % 120);
    for (MemoryFile& file : walk)
        file = {static_cast<uint32_t>(random() % 40), static_cast<uint32_t>(random()),
                random() % 13 == 0};
    return walk;
}

// The search of one file; the workers yield now and then so that files end
// out of walk order.
void SearchMemoryFile(const MemoryFile& file, FileResult& result, SearchPulse& pulse) {
    if (file.unreadable) {
        result.notRead = true;
        return;
    }
    for (uint32_t unit = 0; unit < file.units; ++unit) {
        if (pulse.Pulse()) return;
        if ((file.seed >> (unit % 32)) & 1) result.records.push_back(file.seed ^ unit);
        if ((file.seed + unit) % 7 == 0) std::this_thread::yield();
    }
}

struct NeverStop : SearchPulse {
    int Pulse() override { return 0; }
};

std::vector<FileResult> OneThreadRun(const std::vector<MemoryFile>& walk) {
    NeverStop pulse;
    std::vector<FileResult> results(walk.size());
    for (size_t i = 0; i < walk.size(); ++i)
        SearchMemoryFile(walk[i], results[i], pulse);
    return results;
}

// A pulse that asks to stop at its `stopAt`th call.
class CountingPulse : public SearchPulse {
public:
    explicit CountingPulse(unsigned stopAt) : _left(stopAt) {}
    int Pulse() override {
        if (_left && --_left == 0) _fired = true;
        return _fired;
    }
    bool Fired() const { return _fired; }

private:
    unsigned _left;
    bool _fired = false;
};

// The walk done by `threads` searching threads (the consumer and
// `threads` - 1 workers), the consumer listing it; the consumer stops the run
// after taking `stopAfter` results (never when it is beyond the walk) or when
// the pulse of the files it searches itself fires at its `ownStopAt`th call
// (never at 0), or, with `stopFromOutside`, another thread stops it.
std::vector<FileResult> PoolRun(const std::vector<MemoryFile>& walk, unsigned threads,
                                size_t stopAfter, bool stopFromOutside, unsigned ownStopAt = 0) {
    Pool pool(threads - 1, 2 * threads + 1,
              [](unsigned, MemoryFile& file, FileResult& result, SearchPulse& pulse) {
                  SearchMemoryFile(file, result, pulse);
              });
    std::thread stopper;
    if (stopFromOutside)
        stopper = std::thread([&pool] {
            std::this_thread::yield();
            pool.Stop();
        });
    std::vector<FileResult> taken;
    CountingPulse own(ownStopAt);
    FileResult result;
    RunConsumer(
        pool, walk, result, own, [] {},
        [&] {
            if (own.Fired()) pool.Stop();
        },
        [&](const FileResult& took) {
            taken.push_back(took);
            if (taken.size() == stopAfter) pool.Stop();
            return true;
        });
    if (stopper.joinable()) stopper.join();
    return taken;
}

bool IsPrefix(const std::vector<FileResult>& part, const std::vector<FileResult>& whole) {
    if (part.size() > whole.size()) return false;
    for (size_t i = 0; i < part.size(); ++i)
        if (!(part[i] == whole[i])) return false;
    return true;
}

// 8 threads lease random sizes, some beyond the budget, some given up by a
// stop while they wait; what is taken at once stays within the budget unless
// one lease holds it alone, and all of it comes back.
void CheckMappingBudget(unsigned seed) {
    constexpr uint64_t budget = 1000;
    MappingBudget mapping(budget);
    std::atomic<int> overdrawn{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(seed * 8 + t);
            for (int i = 0; i < 200; ++i) {
                const uint64_t bytes =
                    random() % 8 == 0 ? budget + random() % 500 : 1 + random() % 400;
                CountingPulse pulse(random() % 4 == 0 ? 1 + random() % 3 : 0);
                MappingLease lease;
                if (!lease.Take(&mapping, bytes, &pulse)) continue;
                if (mapping.InUse() > std::max(budget, bytes)) ++overdrawn;
                std::this_thread::yield();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    Check(overdrawn == 0, "the mapped bytes stay within the budget or one file", seed);
    Check(mapping.InUse() == 0, "every lease gives its bytes back", seed);
}

} // namespace

int main() {
    for (unsigned seed = 1; seed <= 5; ++seed)
        CheckMappingBudget(seed);
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        std::vector<MemoryFile> walk = RandomWalk(random);
        std::vector<FileResult> expected = OneThreadRun(walk);
        for (unsigned threads : {1u, 2u, 8u}) {
            Check(PoolRun(walk, threads, SIZE_MAX, false) == expected,
                  "the pool's results equal the one-thread run's", seed);
            size_t stopAfter = walk.empty() ? 0 : random() % walk.size();
            std::vector<FileResult> stopped = PoolRun(walk, threads, stopAfter, false);
            Check(IsPrefix(stopped, expected) && stopped.size() >= stopAfter,
                  "a stop keeps a prefix, with every result taken before it", seed);
            Check(IsPrefix(PoolRun(walk, threads, SIZE_MAX, false, 1 + random() % 60), expected),
                  "a stop from the consumer's own search keeps a prefix", seed);
            Check(IsPrefix(PoolRun(walk, threads, SIZE_MAX, true), expected),
                  "a stop from another thread keeps a prefix", seed);
        }
        // Abandoned with the workers busy: the destructor ends them.
        Pool abandoned(7, walk.size() + 1,
                       [](unsigned, MemoryFile& file, FileResult& result, SearchPulse& pulse) {
                           SearchMemoryFile(file, result, pulse);
                       });
        for (const MemoryFile& file : walk)
            abandoned.Submit(file);
    }
    if (failures) return 1;
    std::puts("ordered pool: all runs matched");
    return 0;
}

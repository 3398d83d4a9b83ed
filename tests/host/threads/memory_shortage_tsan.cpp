// Memory running out on the threads of a walk, under ThreadSanitizer: the
// consumer (which lists) and the workers allocate from a small in-memory heap
// that fails as the library's does (the new-handler called under one lock,
// after the heap's own lock was left), with the run's MemoryHeadroom as the
// reserve. Over seeded runs on 2 and 8 threads: no allocation fails while
// the reserve's memory is free, the run ends as a full hit list and never as
// a failure, and the records kept are those of the one-thread run up to the
// file where memory ran out. Without a reserve, no handler is installed.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <new>
#include <random>
#include <thread>
#include <vector>

#include "heap/heap.h"
#include "host/memory_headroom.h"
#include "host/ordered_pool.h"
#include "tests/host/threads/pool_consumer.h"

namespace {

// ---- The heap: `budget` allocations, and the reserve's worth more once the
// run's headroom is given back.
std::mutex heapLock;
std::mutex globalLock; // the manager's global critical section
int64_t budget;        // under heapLock
constexpr int64_t reserveUnits = 40;
std::atomic<int> failedWithMemoryFree{0};
char reserve[1];

bool TakeUnit() {
    std::lock_guard<std::mutex> lock(heapLock);
    if (budget == 0) return false;
    --budget;
    return true;
}

// One allocation: on failure the new-handler runs under the global lock and
// the allocation is tried again, or bad_alloc is thrown when there is none.
void Allocate() {
    while (!TakeUnit()) {
        std::lock_guard<std::mutex> lock(globalLock);
        std::new_handler handler = std::get_new_handler();
        try {
            if (!handler) throw std::bad_alloc();
            handler();
        } catch (const std::bad_alloc&) {
            std::lock_guard<std::mutex> heap(heapLock);
            if (budget > 0) ++failedWithMemoryFree;
            throw;
        }
    }
}

} // namespace

bool reserveRefused = false; // the system has no room for the headroom

// The headroom's region is the reserve's units.
void* AllocVirtual(uint32_t, uint32_t, int) {
    return reserveRefused ? nullptr : reserve;
}

void FreeVirtual(void*) {
    std::this_thread::yield(); // lets another thread fail meanwhile
    std::lock_guard<std::mutex> lock(heapLock);
    budget += reserveUnits;
}

namespace {

struct MemoryFile {
    uint32_t units;
    uint32_t seed; // which units make a record
};

struct FileResult {
    std::vector<uint32_t> records;
    bool full = false;    // memory ran out while its records were made
    bool skipped = false; // not opened: memory had run out
};

using Pool = OrderedPool<MemoryFile, FileResult>;

int failures = 0;

void Check(bool holds, const char* what, unsigned seed, unsigned threads) {
    if (holds) return;
    std::fprintf(stderr, "FAILED (seed %u, %u threads): %s\n", seed, threads, what);
    ++failures;
}

// The search of one file, as the per-file search makes its records.
void SearchMemoryFile(const MemoryFile& file, FileResult& result, SearchPulse* pulse,
                      const MemoryShortage& shortage) {
    for (uint32_t unit = 0; unit < file.units; ++unit) {
        if (pulse && pulse->Pulse()) return;
        if (!((file.seed >> (unit % 32)) & 1)) continue;
        if (shortage.RanOut()) {
            result.full = true;
            return;
        }
        try {
            Allocate();
        } catch (const std::bad_alloc&) {
            result.full = true;
            return;
        }
        result.records.push_back(file.seed ^ unit);
        if (unit % 5 == 0) std::this_thread::yield();
    }
}

struct Outcome {
    std::vector<FileResult> taken;
    bool full = false;
    bool failed = false;
};

// The files the consumer searches itself are never stopped by its own pulse.
struct NeverStop : SearchPulse {
    int Pulse() override { return 0; }
};

// The walk on `threads` searching threads (the consumer, which lists, and
// `threads` - 1 workers), each allocating as the threaded walk does.
Outcome ShortRun(const std::vector<MemoryFile>& walk, unsigned threads, int64_t memory) {
    budget = memory;
    failedWithMemoryFree = 0;
    Outcome outcome;
    MemoryHeadroom headroom;
    const MemoryShortage& shortage = headroom.Shortage();
    {
        Pool pool(threads - 1, 4 * threads,
                  [&shortage](unsigned, MemoryFile& file, FileResult& result, SearchPulse& pulse) {
                      if (shortage.RanOut()) {
                          result.skipped = true;
                          return;
                      }
                      SearchMemoryFile(file, result, &pulse, shortage);
                  });
        NeverStop own;
        FileResult result;
        try {
            RunConsumer(
                pool, walk, result, own, [] { Allocate(); }, // the walk's item
                [&] {
                    if (shortage.RanOut()) pool.Stop();
                },
                [&](const FileResult& took) {
                    if (took.skipped) return false;
                    Allocate(); // the run's list takes the file's records
                    outcome.taken.push_back(took);
                    return !took.full;
                });
        } catch (const std::bad_alloc&) {
            // As on one thread, the failure passes through the walk, which
            // ends as a full hit list once memory ran out.
            outcome.failed = !shortage.RanOut();
        }
        pool.Stop();
        while (!pool.WaitEnded(1)) {
        }
    }
    outcome.full = shortage.RanOut() != 0;
    return outcome;
}

// The taken files are the one-thread run's first ones, the last of them
// perhaps cut short where memory ran out.
bool KeepsAPrefix(const std::vector<FileResult>& taken, const std::vector<FileResult>& whole) {
    if (taken.size() > whole.size()) return false;
    for (size_t i = 0; i < taken.size(); ++i) {
        const std::vector<uint32_t>& kept = taken[i].records;
        const std::vector<uint32_t>& all = whole[i].records;
        const bool last = i + 1 == taken.size();
        if (kept.size() > all.size() || (!last && kept.size() != all.size())) return false;
        if (!std::equal(kept.begin(), kept.end(), all.begin())) return false;
    }
    return true;
}

} // namespace

int main() {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        std::vector<MemoryFile> walk(40 + random() % 80);
        int64_t records = 0;
        std::vector<FileResult> expected(walk.size());
        for (size_t i = 0; i < walk.size(); ++i) {
            walk[i] = {static_cast<uint32_t>(random() % 30), static_cast<uint32_t>(random())};
            for (uint32_t unit = 0; unit < walk[i].units; ++unit)
                if ((walk[i].seed >> (unit % 32)) & 1) {
                    expected[i].records.push_back(walk[i].seed ^ unit);
                    ++records;
                }
        }
        for (unsigned threads : {2u, 8u}) {
            // Less memory than the run needs: it always runs out.
            const Outcome outcome = ShortRun(walk, threads, random() % (records / 2 + 1));
            Check(failedWithMemoryFree == 0, "no allocation fails while memory is free", seed,
                  threads);
            Check(!outcome.failed, "memory running out is never a failure", seed, threads);
            Check(outcome.full, "the run ends as a full hit list", seed, threads);
            Check(KeepsAPrefix(outcome.taken, expected),
                  "the records kept are the one-thread run's up to the shortage", seed, threads);
        }
    }
    // Without a reserve no handler is installed: nothing would be freed, and
    // a shortage costs the allocation that meets it, never the host.
    reserveRefused = true;
    {
        MemoryHeadroom none;
        budget = 0;
        bool thrown = false;
        try {
            Allocate();
        } catch (const std::bad_alloc&) {
            thrown = true;
        }
        Check(std::get_new_handler() == nullptr && thrown && !none.Shortage().RanOut(),
              "without a reserve there is no handler", 0, 1);
    }
    if (failures) return 1;
    std::puts("memory shortage: every run ended as a full hit list");
    return 0;
}

#include "host/threaded_walk.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "fs/file_scanner.h"
#include "fs/walk_path.h"
#include "heap/heap.h"
#include "host/memory_headroom.h"
#include "host/ordered_pool.h"
#include "host/trovik_file_scanner.h"
#include "search/mapping_budget.h"
#include "search/search_file.h"

namespace {

constexpr unsigned maxWalkThreads = 16;
// Waiting for the next result in walk order, the walking thread keeps the
// progress alive at least this often (milliseconds): the progress dispatches
// at most every dispatchPeriod, so a longer wait could let two dispatches lie
// nearly two such periods apart.
constexpr unsigned keepAliveWait = 2;
// Items listed and not yet taken, per worker: enough to keep the workers
// busy behind a slow file and to hand results over in batches, few enough
// that the records waiting for their turn stay small beside a 32-bit address
// space.
constexpr size_t itemsPerWorker = 32;
// Bytes that the files searched at once may have mapped together; a larger
// file is mapped alone (search/mapping_budget.h).
constexpr uint64_t mappedBytesAtOnce = 256u << 20;

// One item of the walk, in walk order: a directory entered, a file searched,
// or the end of an entry with what its listing could not read.
struct WalkItem {
    enum Kind { directory, file, entryEnd };
    WalkItem(Kind itemKind, const FileName& itemPath) : kind(itemKind), path(itemPath) {}

    Kind kind;
    FileName path;                 // directory: the host's form; file: walk path
    uint32_t foldersNotListed = 0; // entryEnd
    uint32_t filesLeftOut = 0;     // entryEnd
    int records = 0;               // file: what SearchFile returned
    RunResults found;              // file: its records and counters
};

using Item = std::unique_ptr<WalkItem>;
using Pool = OrderedPool<Item, Item>;

// Lists on the lister's thread and hands every file and directory to the pool.
class ListingScanner : public FileScanner {
public:
    ListingScanner(const WalkEntry& entry, Pool& pool, int hostUtf8)
        : FileScanner(entry.name, nullptr, 0, entry.isDirectory ? entry.recursive : 0), _pool(pool),
          _hostUtf8(hostUtf8) {}

    int ShouldStop() override { return _pool.StopRequested(); }
    int OnFile(FileName& fileName, FindData* entry, int) override {
        // Empty files are neither counted nor searched, as in the one-thread walk.
        if (entry->_size == 0 && SizeOfWalkPath(fileName) == 0) return 1;
        return _pool.Submit(Item(new WalkItem(WalkItem::file, fileName)));
    }
    void OnDirectory(FileName& directory) override {
        _pool.Submit(Item(new WalkItem(WalkItem::directory, HostPathOf(directory, _hostUtf8))));
    }

private:
    Pool& _pool;
    const int _hostUtf8;
};

// The walking thread's part for one item: what the one-thread walk does
// around SearchFile, with the file's results added to the run's.
void TakeItem(WalkItem& item, const RunQuery& searched, WalkProgress& progress,
              RunResults& results) {
    switch (item.kind) {
    case WalkItem::directory:
        progress.DirectoryEntered(item.path);
        return;
    case WalkItem::entryEnd:
        results.foldersNotListed += item.foldersNotListed;
        results.filesNotRead += item.filesLeftOut;
        results.filesLeftOut += item.filesLeftOut;
        return;
    case WalkItem::file:
        break;
    }
    RunCounterSet& counters = results.counters;
    CountFileProcessed(progress, counters);
    const RunCounterSet& found = item.found.counters;
    counters.hitCount += found.hitCount;
    counters.realChars += found.realChars;
    counters.totalChars += found.totalChars;
    counters.realLines += found.realLines;
    counters.lineBreaks += found.lineBreaks;
    while (GrepInfo* record = item.found.hitList.GetHead()) {
        item.found.hitList.Remove(record);
        results.hitList.AddTail(record);
    }
    if (item.found.hitListFull) results.hitListFull = 1;
    ReportFileSearched(progress, searched, results, item.path, item.records);
}

} // namespace

unsigned WalkThreads(unsigned threads) {
    // A host that declared itself single-threaded (InitNewHeap(0)) took the
    // lock off the memory manager's heap: its allocations are one thread's.
    if (!DefaultHeap._lockInUse) return 1;
    if (threads == 0) threads = std::thread::hardware_concurrency();
    return std::max(1u, std::min(threads, maxWalkThreads));
}

WalkStop WalkEntriesThreaded(const std::vector<WalkEntry>& entries, const RunQuery& searched,
                             EntryScans& scans, unsigned threads, WalkProgress& progress,
                             RunResults& results) {
    std::vector<std::unique_ptr<SearchWorkspace>> workspaces;
    for (unsigned i = 0; i < threads; ++i)
        workspaces.emplace_back(new SearchWorkspace);
    MappingBudget mapping(mappedBytesAtOnce);
    std::atomic<bool> listingFailed{false};
    {
        Pool pool(threads, itemsPerWorker * threads,
                  [&](unsigned worker, Item& job, Item& result, SearchPulse& pulse) {
                      // No file is opened once memory ran out: the run ends
                      // as a full hit list before it.
                      if (job->kind == WalkItem::file && MemoryHeadroom::RanOut()) {
                          job->records = -1;
                      } else if (job->kind == WalkItem::file) {
                          job->records = SearchFile(job->path, FileSearch{searched, job->found,
                                                                          *workspaces[worker],
                                                                          &pulse, &mapping});
                      }
                      result = std::move(job);
                  });
        pool.List([&](Pool& listed) {
            try {
                for (const WalkEntry& entry : entries) {
                    ListingScanner scanner(entry, listed, searched.hostUtf8);
                    scans.Prepare(scanner, entry);
                    scanner.Scan();
                    Item end(new WalkItem(WalkItem::entryEnd, FileName()));
                    end->foldersNotListed = scanner._unreadListings + scanner._foldersLeftOut;
                    end->filesLeftOut = scanner._filesLeftOut;
                    if (!listed.Submit(std::move(end))) return;
                }
            } catch (...) {
                // Memory that ran out ends the listing as a full hit list.
                if (!MemoryHeadroom::RanOut()) listingFailed = true;
                listed.Stop();
            }
        });
        Item item;
        for (;;) {
            progress.KeepAlive();
            // Memory that ran out on a worker stops the run as Stop does:
            // the files being searched stop making records at once.
            if (progress.StopRequest() != 0 || MemoryHeadroom::RanOut()) pool.Stop();
            Pool::Take take = pool.TakeNext(item, keepAliveWait);
            if (take == Pool::finished) break;
            if (take == Pool::waiting) continue;
            // A file whose search failed once memory ran out is where the
            // hit list ran full, as a file cut short by the stop is.
            if (item->records < 0 && MemoryHeadroom::RanOut()) break;
            TakeItem(*item, searched, progress, results);
            // Records beyond a full hit list are not taken: the one-thread
            // walk ends at the file that filled it.
            if (results.hitListFull) break;
        }
        // No file is searched or mapped while the user reads the message
        // below: the reserve freed for the run's end is the end's.
        pool.Stop();
        while (!pool.WaitEnded(keepAliveWait))
            progress.KeepAlive();
    }
    if (results.hitListFull || MemoryHeadroom::RanOut()) {
        results.hitListFull = 1;
        progress.HitListFull(results.hitList._count);
    }
    if (listingFailed) {
        progress.ReportFailure();
        return stopCancel;
    }
    return progress.StopRequest();
}

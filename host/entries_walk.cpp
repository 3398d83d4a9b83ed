#include "host/entries_walk.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "fs/file_scanner.h"
#include "fs/walk_path.h"
#include "heap/heap.h"
#include "host/ordered_pool.h"
#include "host/walk_items.h"
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

using Pool = OrderedPool<Item, Item>;

// Where the listing hands the walk's items, in walk order.
class ItemSink {
public:
    virtual ~ItemSink() {}
    // Takes the walk's next item; 0 ends the listing.
    virtual int Submit(Item item) = 0;
    // Asked after every directory entry listed: nonzero ends the listing.
    virtual int StopListing() = 0;
};

// Lists one entry into a sink.
class ListingScanner : public FileScanner {
public:
    ListingScanner(const WalkEntry& entry, ItemSink& sink, int hostUtf8)
        : FileScanner(entry.name, nullptr, 0, entry.isDirectory ? entry.recursive : 0), _sink(sink),
          _hostUtf8(hostUtf8) {}

    int ShouldStop() override { return _sink.StopListing(); }
    int OnFile(FileName& fileName, FindData* entry, int) override {
        // Empty files are neither counted nor searched. The entry holds the
        // low 32 bits of the size: a file of a whole multiple of 4 GiB is
        // asked again. A size the listing did not read is told by the
        // search (SearchWalkFile).
        const bool sizeUnlisted = (entry->_attributes & fileAttributeSizeUnlisted) != 0;
        if (!sizeUnlisted && entry->_size == 0 && SizeOfWalkPath(fileName) == 0) return 1;
        Item file(new WalkItem(WalkItem::file, fileName));
        file->sizeUnlisted = sizeUnlisted;
        return _sink.Submit(std::move(file));
    }
    void OnDirectory(FileName& directory) override {
        _sink.Submit(Item(new WalkItem(WalkItem::directory, HostPathOf(directory, _hostUtf8))));
    }

private:
    ItemSink& _sink;
    const int _hostUtf8;
};

// Lists every entry into `sink`, each followed by its end.
void ListEntries(const std::vector<WalkEntry>& entries, EntryScans& scans, ItemSink& sink,
                 int hostUtf8) {
    for (const WalkEntry& entry : entries) {
        ListingScanner scanner(entry, sink, hostUtf8);
        scans.Prepare(scanner, entry);
        scanner.Scan();
        Item end(new WalkItem(WalkItem::entryEnd, FileName()));
        // A directory whose listing broke off counts once: how many of its
        // files went unread is not known. So does a folder that closes a
        // link loop.
        end->foldersNotListed = scanner._unreadListings + scanner._foldersLeftOut;
        end->filesLeftOut = scanner._filesLeftOut;
        if (!sink.Submit(std::move(end))) return;
    }
}

// The run's side of the per-file search's pulse on the walking thread: the
// progress is kept alive inside long files too, and a stop or cancel ends
// the file's search (its matches so far still become records).
class ProgressPulse : public SearchPulse {
public:
    explicit ProgressPulse(WalkProgress& progress) : _progress(progress) {}
    int Pulse() override {
        _progress.KeepAlive();
        return _progress.StopRequest() != 0;
    }

private:
    WalkProgress& _progress;
};

// One thread: every item is searched and taken as it is listed.
class InlineWalk : public ItemSink {
public:
    InlineWalk(const RunQuery& searched, const MemoryShortage& shortage, WalkProgress& progress,
               RunResults& results)
        : _searched(searched), _shortage(shortage), _progress(progress), _results(results) {}

    int Submit(Item item) override {
        if (item->kind != WalkItem::file) {
            TakeItem(*item, _searched, _progress, _results, _shortage);
        } else {
            _progress.KeepAlive();
            // A file that may turn out empty is counted once it did not.
            if (!item->sizeUnlisted) CountFileProcessed(_progress, _results.counters);
            ProgressPulse pulse(_progress);
            const int records =
                SearchWalkFile(*item, FileSearch{_searched, _results, _workspace, &pulse, nullptr,
                                                 &_shortage, _results.drain, &item->prepared});
            if (item->leftOutEmpty) return _progress.StopRequest() == 0;
            if (item->sizeUnlisted) CountFileProcessed(_progress, _results.counters);
            ReportFileSearched(_progress, _searched, _results, _shortage, item->path, records,
                               item->prepared);
            if (_results.hitListFull) _progress.HitListFull(_results.RecordCount());
        }
        return _progress.StopRequest() == 0;
    }
    // Asked after every directory entry: the windows stay answered while a
    // large tree with few files that fit the masks is listed.
    int StopListing() override {
        _progress.KeepAlive();
        return _progress.StopRequest() != 0;
    }

private:
    const RunQuery& _searched;
    const MemoryShortage& _shortage;
    WalkProgress& _progress;
    RunResults& _results;
    SearchWorkspace _workspace;
};

// Several threads: the walking thread lists the items into the pool; once
// the pool is full it takes the results in walk order, and rather than wait
// for the next one it searches the queued files itself.
class PoolWalk : public ItemSink {
public:
    PoolWalk(Pool& pool, const RunQuery& searched, const MemoryShortage& shortage,
             WalkProgress& progress, RunResults& results)
        : _pool(pool), _searched(searched), _shortage(shortage), _progress(progress),
          _results(results) {}

    int Submit(Item item) override {
        if (_ended) return 0;
        switch (_pool.Submit(std::move(item))) {
        case Pool::refused:
            return 0;
        case Pool::queued:
            return 1; // the listing asks StopListing after every entry
        case Pool::full:
            break;
        }
        return TakeResults(room);
    }
    // Asked after every directory entry: the windows stay answered while a
    // large tree with few files that fit the masks is listed.
    int StopListing() override { return Stopping(); }

    // After the listing: takes the rest.
    void Finish() {
        _pool.EndOfWalk();
        TakeResults(every);
    }

private:
    enum Until { room, every };

    // Keeps the progress alive; true when the run stops, as the pool then
    // does. Memory that ran out on any thread stops the run as Stop does:
    // the files being searched stop making records at once.
    bool Stopping() {
        _progress.KeepAlive();
        if (_progress.StopRequest() == 0 && !_shortage.RanOut()) return false;
        _pool.Stop();
        return true;
    }

    // Takes the results done in walk order, and beyond them, until there is
    // `room` for the next item or `every` result is taken, searches queued
    // files or waits. Returns 0 once the walk ends (stopped, memory run out,
    // the hit list full).
    int TakeResults(Until until) {
        Item item;
        while (!_ended) {
            Stopping();
            const bool more = until == every || _pool.Full();
            const Pool::Take take =
                more ? _pool.TakeNext(item, keepAliveWait, _pulse) : _pool.TakeReady(item);
            if (take == Pool::finished) break;
            if (take == Pool::waiting) {
                if (more) continue;
                return 1;
            }
            // A file whose search failed once memory ran out is where the
            // hit list ran full, as a file cut short by the stop is.
            if (item->records < 0 && _shortage.RanOut()) break;
            TakeItem(*item, _searched, _progress, _results, _shortage);
            // Records beyond a full hit list are not taken: the one-thread
            // walk ends at the file that filled it.
            if (_results.hitListFull) break;
        }
        _ended = true;
        return 0;
    }

    Pool& _pool;
    const RunQuery& _searched;
    const MemoryShortage& _shortage;
    WalkProgress& _progress;
    RunResults& _results;
    ProgressPulse _pulse{_progress}; // of the files searched on this thread
    bool _ended = false;
};

WalkStop WalkThreaded(const std::vector<WalkEntry>& entries, const RunQuery& searched,
                      EntryScans& scans, unsigned threads, const MemoryShortage& shortage,
                      WalkProgress& progress, RunResults& results) {
    std::vector<std::unique_ptr<SearchWorkspace>> workspaces;
    for (unsigned i = 0; i < threads; ++i)
        workspaces.emplace_back(new SearchWorkspace);
    MappingBudget mapping(mappedBytesAtOnce);
    {
        // The walking thread is the last of the run's searching threads.
        Pool pool(threads - 1, itemsPerWorker * threads,
                  [&](unsigned worker, Item& job, Item& result, SearchPulse& pulse) {
                      // No file is opened once memory ran out: the run ends
                      // as a full hit list before it.
                      if (job->kind == WalkItem::file && shortage.RanOut()) {
                          job->records = -1;
                      } else if (job->kind == WalkItem::file) {
                          job->records = SearchWalkFile(
                              *job, FileSearch{searched, job->found, *workspaces[worker], &pulse,
                                               &mapping, &shortage, results.drain, &job->prepared});
                      }
                      result = std::move(job);
                  });
        // A failure of the listing or of a result's taking passes through as
        // on one thread: the pool's destructor stops and ends the workers.
        PoolWalk walk(pool, searched, shortage, progress, results);
        ListEntries(entries, scans, walk, searched.hostUtf8);
        walk.Finish();
        // No file is searched or mapped while the user reads the message
        // below: the reserve freed for the run's end is the end's.
        pool.Stop();
        while (!pool.WaitEnded(keepAliveWait))
            progress.KeepAlive();
    }
    if (results.hitListFull || shortage.RanOut()) {
        results.hitListFull = 1;
        progress.HitListFull(results.RecordCount());
    }
    return progress.StopRequest();
}

} // namespace

unsigned WalkThreads(unsigned threads) {
    // A host that declared itself single-threaded (InitNewHeap(0)) took the
    // lock off the memory manager's heap: its allocations are one thread's.
    if (!DefaultHeap._lockInUse) return 1;
    if (threads == 0) threads = std::thread::hardware_concurrency();
    return std::max(1u, std::min(threads, maxWalkThreads));
}

WalkStop WalkEntries(const std::vector<WalkEntry>& entries, const RunQuery& searched,
                     EntryScans& scans, unsigned threads, const MemoryShortage& shortage,
                     WalkProgress& progress, RunResults& results) {
    if (threads > 1)
        return WalkThreaded(entries, searched, scans, threads, shortage, progress, results);
    InlineWalk walk(searched, shortage, progress, results);
    ListEntries(entries, scans, walk, searched.hostUtf8);
    return progress.StopRequest();
}

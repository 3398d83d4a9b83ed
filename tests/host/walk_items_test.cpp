// Taking the items of a walk in walk order: a file's records and counters
// join the run's, the progress hears of the folders, the files processed and
// the files with hits; an entry's end adds what its listing could not read;
// a file that could not be read counts as such unless memory ran out.
#include "host/walk_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/hit_record.h"

namespace {

// What the walk told the progress, one line per call.
class HeardProgress : public WalkProgress {
public:
    int Open() override { return 1; }
    void KeepAlive() override {}
    void DirectoryEntered(const FileName& directory) override {
        heard.push_back("dir " + std::string(directory));
    }
    void FileProcessed(uint32_t count) override {
        heard.push_back("processed " + std::to_string(count));
    }
    void HitsChanged(const FileName& file, const RunCounterSet& counters) override {
        heard.push_back("hits " + std::string(file) + " " + std::to_string(counters.hitCount) +
                        " in " + std::to_string(counters.filesWithHits));
    }
    WalkStop StopRequest() override { return stopNone; }
    void HitListFull(int32_t) override {}
    void ReportFailure() override {}

    std::vector<std::string> heard;
};

// A file searched into item.found: `records` records (-1: not read), and
// statistics that tell the files apart.
Item Searched(const char* path, int records, uint32_t hits, uint32_t seed) {
    Item item(new WalkItem(WalkItem::file, FileName(path)));
    for (int line = 1; line <= records; ++line)
        item->found.hitList.AddTail(new GrepInfo(SharedText(String(path)), "text", line));
    item->records = records;
    item->found.counters = {0, 0, hits, seed, 2 * seed, 3 * seed, 4 * seed};
    return item;
}

TEST(TakeItem, TheRunGrowsByEachItemInWalkOrder) {
    Item entryEnd(new WalkItem(WalkItem::entryEnd, FileName("C:\\d")));
    entryEnd->foldersNotListed = 1;
    entryEnd->filesLeftOut = 2;
    Item items[] = {
        Item(new WalkItem(WalkItem::directory, FileName("C:\\d"))),
        Searched("C:\\d\\a.c", 2, 3, 1),
        Searched("C:\\d\\b.c", 0, 0, 10),
        Searched("C:\\d\\c.c", -1, 0, 0),
        std::move(entryEnd),
        Searched("C:\\d\\e.c", 1, 1, 100),
    };
    items[5]->found.hitListFull = 1;
    RunQuery query;
    HeardProgress progress;
    RunResults results;
    MemoryShortage shortage;
    for (Item& item : items)
        TakeItem(*item, query, progress, results, shortage);

    EXPECT_EQ(progress.heard,
              (std::vector<std::string>{"dir C:\\d", "processed 1", "hits C:\\d\\a.c 3 in 1",
                                        "processed 2", "processed 3", "processed 4",
                                        "hits C:\\d\\e.c 4 in 2"}));
    const RunCounterSet& c = results.counters;
    EXPECT_EQ(c.filesProcessed, 4u);
    EXPECT_EQ(c.filesWithHits, 2u);
    EXPECT_EQ(c.hitCount, 4u);
    EXPECT_EQ(c.realChars, 111u);
    EXPECT_EQ(c.totalChars, 222u);
    EXPECT_EQ(c.realLines, 333u);
    EXPECT_EQ(c.lineBreaks, 444u);
    EXPECT_EQ(results.filesNotRead, 3u); // c.c and the two the listing left out
    EXPECT_EQ(results.filesLeftOut, 2u);
    EXPECT_EQ(results.foldersNotListed, 1u);
    EXPECT_EQ(results.hitListFull, 1);
    std::vector<std::string> records;
    for (GrepInfo* g = results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
        records.push_back(std::string(g->_fileName) + "(" + std::to_string(g->_lineNumber) + ")");
    EXPECT_EQ(records,
              (std::vector<std::string>{"C:\\d\\a.c(1)", "C:\\d\\a.c(2)", "C:\\d\\e.c(1)"}));
    EXPECT_EQ(items[1]->found.hitList._count, 0); // moved, not copied
}

// Once memory ran out, a file whose search failed was not unreadable: the run
// ends as a full hit list there.
TEST(TakeItem, AFailedFileAfterAShortageIsAFullHitListNotAnUnreadFile) {
    RunQuery query;
    HeardProgress progress;
    RunResults results;
    MemoryShortage shortage;
    shortage.Signal();
    Item failed = Searched("C:\\d\\a.c", -1, 0, 0);
    TakeItem(*failed, query, progress, results, shortage);
    EXPECT_EQ(results.filesNotRead, 0u);
    EXPECT_EQ(results.hitListFull, 1);
    EXPECT_EQ(results.counters.filesProcessed, 1u);
}

} // namespace

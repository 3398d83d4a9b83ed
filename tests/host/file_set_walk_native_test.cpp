// The walk of a run natively, on a real tree: regular files whose size the
// listing leaves unread are told empty only when searched, and empty files,
// links to them and pipes are left out as the listed sizes leave them out
// (not counted, not unread, never opened); records handed to a drain come
// file by file in walk order and are counted. On one thread and several.
#include "host/file_set_walk.h"
#include "host/walk_progress.h"
#include "search/hit_record.h"
#include "search/record_drain.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class QuietProgress : public WalkProgress {
public:
    int Open() override { return 1; }
    void KeepAlive() override {}
    void DirectoryEntered(const FileName&) override {}
    void FileProcessed(uint32_t) override {}
    void HitsChanged(const FileName&, const RunCounterSet&) override {}
    void HitListFull(int32_t) override {}
    WalkStop StopRequest() override { return stopNone; }
    void ReportFailure() override { ++failures; }
    int failures = 0;
};

// Keeps "name:line" of every record drained, and the size of each batch's
// list at its end (a drain leaves it empty); with `prepares`, the thread that
// searched a file turns its records into those lines (one a line).
class KeptLines : public RecordDrain {
public:
    explicit KeptLines(bool preparing) : prepares(preparing) {}
    void Prepare(List<GrepInfo>& records, PreparedRecords& prepared) override {
        if (prepares) LinesOf(records, prepared);
    }
    void Take(List<GrepInfo>& records) override {
        PreparedRecords prepared;
        LinesOf(records, prepared);
        TakePrepared(prepared);
    }
    void TakePrepared(PreparedRecords& prepared) override {
        for (size_t at = 0, end; (end = prepared.text.find('\n', at)) != std::string::npos;
             at = end + 1)
            lines.push_back(prepared.text.substr(at, end - at));
        ++batches;
    }
    const bool prepares;
    std::vector<std::string> lines;
    int batches = 0;

private:
    static void LinesOf(List<GrepInfo>& records, PreparedRecords& prepared) {
        for (GrepInfo* r = records.GetHead(); r; r = List<GrepInfo>::GetNext(r)) {
            const std::string name = r->_fileName.c_str();
            prepared.text +=
                name.substr(name.rfind('\\') + 1) + ":" + std::to_string(r->_lineNumber) + "\n";
        }
        prepared.count = records._count;
        records.DeleteAll();
    }
};

class NativeWalk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/trovik_native_walk_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        _dir = pattern;
        Make("sub");
        Write("a.c", "x\ny x\n");
        Write("empty.c", "");
        Write("sub/b.c", "no\nx\n");
        Write("sub/empty.h", "");
        ASSERT_EQ(symlink((_dir + "/empty.c").c_str(), (_dir + "/link.c").c_str()), 0);
        ASSERT_EQ(mkfifo((_dir + "/pipe.c").c_str(), 0644), 0);
    }
    void TearDown() override { EXPECT_EQ(system(("rm -rf '" + _dir + "'").c_str()), 0); }

    void Make(const std::string& name) { ASSERT_EQ(mkdir((_dir + "/" + name).c_str(), 0755), 0); }
    void Write(const std::string& name, const std::string& data) {
        const int file = open((_dir + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(file, 0);
        ASSERT_EQ(write(file, data.data(), data.size()), ssize_t(data.size()));
        close(file);
    }

    std::string _dir;
};

TEST_F(NativeWalk, EmptyFilesAndPipesAreLeftOutAndRecordsDrainInWalkOrder) {
    const std::vector<std::string> walkOrder = {"a.c:1", "a.c:2", "b.c:2"};
    for (unsigned threads : {1u, 3u}) {
        for (int drainKind : {0, 1, 2}) { // kept, drained, drained as prepared
            const bool drained = drainKind != 0;
            SCOPED_TRACE(std::to_string(threads) + " threads, drain " + std::to_string(drainKind));
            RunQuery query;
            query.text = "x";
            query.dirList = (_dir + "\n").c_str();
            query.fileTypes = "*.*";
            query.threads = threads;
            QuietProgress progress;
            KeptLines drain(drainKind == 2);
            RunResults results;
            if (drained) results.drain = &drain;
            EXPECT_EQ(WalkFileSet(query, progress, results), stopNone);
            EXPECT_EQ(progress.failures, 0);
            EXPECT_EQ(results.counters.filesProcessed, 2u);
            EXPECT_EQ(results.counters.filesWithHits, 2u);
            EXPECT_EQ(results.counters.hitCount, 3u);
            EXPECT_EQ(results.filesNotRead, 0u);
            EXPECT_EQ(results.RecordCount(), 3);
            if (drained) {
                EXPECT_EQ(drain.lines, walkOrder);
                EXPECT_EQ(drain.batches, 2);
                EXPECT_EQ(results.hitList._count, 0);
            } else {
                EXPECT_EQ(results.hitList._count, 3);
            }
        }
    }
}

} // namespace

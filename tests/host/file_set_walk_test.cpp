// The walk of a search run over a real directory tree, in both
// configurations: masks, single-file entries, recursion, the end of the
// directory list, blank texts, stopping, empty files, natively names that
// hold backslashes, and the rate of the processed-files count; records handed to a drain come file
// by file in walk order, on one thread and several.
#include "host/millisecond_clock.h"
#include "tests/host/file_set_walk_fixture.h"
#include "tests/search/kept_lines.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "fs/posix_name_form.h"
#endif

namespace {

// Which files the masks and entries reach: every mask, into subfolders
// when asked; a file fitting two masks and reached by two entries once; a
// file named as an entry whatever the masks; missing entries skipped, an
// empty entry ending the list.
TEST_F(FileSetWalk, TheMasksAndEntriesChooseTheFilesSearchedEachOnce) {
    const std::string a = Write("a.c", "needle\n");
    const std::string b = Write("b.h", "x\nneedle\n");
    const std::string c = Write("c.txt", "needle\n");
    const std::string d = Write("sub\\d.c", "needle\n");
    const std::string notes = Write("sub\\notes.txt", "needle\n");
    const std::string r = _root;
    const struct {
        const char* fileTypes;
        std::string dirList;
        int subdirectories;
        std::vector<std::string> files; // sorted
    } cases[] = {
        {"*.c; *.h", r, 1, {a, b, d}},
        {"*.c; *.h", r, 0, {a, b}},
        {"*.c;*.*", r + ";" + a + ";" + r, 0, {a, b, c}},
        {"*.c", notes, 1, {notes}},
        {"*.c", r + "\\missing;" + r + "\\sub;;" + r, 1, {d}},
    };
    for (const auto& w : cases) {
        SCOPED_TRACE(std::string(w.fileTypes) + " in " + w.dirList);
        progress = RecordingProgress();
        query.fileTypes = w.fileTypes;
        query.dirList = w.dirList.c_str();
        query.subdirectories = w.subdirectories;
        EXPECT_EQ(Walk(), stopNone);
        EXPECT_EQ(HitFiles(), w.files);
        const uint32_t count = static_cast<uint32_t>(w.files.size());
        EXPECT_EQ(results.counters.filesProcessed, count);
        EXPECT_EQ(results.counters.filesWithHits, count);
        EXPECT_EQ(results.counters.hitCount, count);
        EXPECT_EQ(progress.opened, 1);
        if (&w == cases) { // the whole tree: its folders entered in order
            EXPECT_EQ(progress.directories, (std::vector<std::string>{r, r + "\\sub"}));
        }
    }
}

TEST_F(FileSetWalk, ABlankTextSearchesNothing) {
    Write("f.c", "needle\n");
    query.dirList = _root.c_str();
    EXPECT_EQ(Walk(" \t \t"), stopNone);
    EXPECT_EQ(progress.opened, 1);
    EXPECT_EQ(results.counters.filesProcessed, 0u);
    query.statistics = 1; // statistics too
    EXPECT_EQ(Walk(""), stopNone);
    EXPECT_EQ(results.counters.totalChars, 0u);
}

TEST_F(FileSetWalk, TheTextLosesSpacesThenTabsAtBothEnds) {
    std::string f = Write("f.c", "x abc y\n");
    Write("g.c", "x\tabc\ty\n");
    query.dirList = _root.c_str();
    EXPECT_EQ(Walk("  \t abc \t "), stopNone); // searches " abc "
    EXPECT_EQ(HitFiles(), (std::vector<std::string>{f}));
}

TEST_F(FileSetWalk, NoProgressIsAFailureAndSearchesNothing) {
    Write("f.c", "needle\n");
    query.dirList = _root.c_str();
    progress.openResult = 0;
    EXPECT_EQ(Walk(), stopCancel);
    EXPECT_EQ(progress.failures, 1);
    EXPECT_EQ(results.counters.filesProcessed, 0u);
}

// Natively also a link to an empty file and a pipe, whose listed sizes leave
// them out before they are opened (a pipe would block the open).
TEST_F(FileSetWalk, EmptyFilesAreNeitherCountedNorSearched) {
    Write("empty.c", "");
    Write("sub\\empty.h", "");
    Write("f.c", "needle\n");
#ifndef _WIN32
    const std::string posix = PosixFormOf(_root.substr(2));
    ASSERT_EQ(symlink((posix + "/empty.c").c_str(), (posix + "/link.c").c_str()), 0);
    ASSERT_EQ(mkfifo((posix + "/pipe.c").c_str(), 0644), 0);
#endif
    query.dirList = _root.c_str();
    EXPECT_EQ(Walk(), stopNone);
    EXPECT_GE(progress.keepAlives, 2);
    EXPECT_EQ(progress.failures, 0);
    EXPECT_EQ(results.counters.filesProcessed, 1u);
    EXPECT_EQ(results.filesNotRead, 0u);
}

#ifndef _WIN32
// A POSIX name may hold backslashes, which the walk's paths spell apart: the
// file is searched under that spelling. One too long for a listed name once
// spelt so cannot be opened, and counts as not read rather than vanishing.
TEST_F(FileSetWalk, NativeNamesHoldingBackslashesAreSearchedOrCountedAsNotRead) {
    const std::string posix = PosixFormOf(_root.substr(2));
    for (const std::string& name : {std::string("a\\b.c"), std::string(100, '\\') + ".c"}) {
        std::ofstream(posix + "/" + name) << "needle\n";
    }
    query.dirList = _root.c_str();
    EXPECT_EQ(Walk(), stopNone);
    EXPECT_EQ(HitFiles(), std::vector<std::string>{_root + "\\a" + layerBackslash + "b.c"});
    EXPECT_EQ(results.counters.filesProcessed, 2u);
    EXPECT_EQ(results.filesNotRead, 1u);
}
#endif

TEST_F(FileSetWalk, StopAndCancelEndTheWalkAfterTheCurrentFile) {
    for (char c = 'a'; c <= 'f'; ++c)
        Write(std::string(1, c) + ".c", "needle\n");
    query.dirList = (_root + ";" + _root).c_str();
    for (WalkStop request : {stopCancel, stopKeep}) {
        progress = RecordingProgress();
        progress.stopAtFile = 2;
        progress.stopWith = request;
        EXPECT_EQ(Walk(), request);
        EXPECT_EQ(results.counters.filesProcessed, 2u) << request;
        EXPECT_EQ(results.hitList._count, 2) << request;
    }
}

// Inside a long file the search pulses the progress, so a stop asked for
// meanwhile ends that file's search; the records found before it are kept.
TEST_F(FileSetWalk, AStopInsideALongFileKeepsTheRecordsFoundBeforeIt) {
    std::string data;
    for (int line = 0; data.size() < (4u << 20); ++line)
        data += line % 1000 ? "x\n" : "needle\n";
    Write("long.c", data);
    query.dirList = _root.c_str();
    EXPECT_EQ(Walk(), stopNone);
    const int all = results.hitList._count;
    progress = RecordingProgress();
    // A few calls after the folder's first entries and the file's start:
    // the 4 MiB file pulses some 64 times.
    progress.stopAtKeepAlive = 5;
    progress.stopWith = stopKeep;
    EXPECT_EQ(Walk(), stopKeep);
    EXPECT_GT(results.hitList._count, 0);
    EXPECT_LT(results.hitList._count, all / 10);
}

uint32_t fakeNow = 0x40000000;
uint32_t FakeClock() {
    return fakeNow += 10; // every file takes 10 ms
}

// Every file takes 10 ms of a fake clock: the count is shown at most every
// 50 ms, and goes on across the wrap of the millisecond timer (every 49.7
// days), where a count shown just before must not hold back the next ones
// until the timer comes round again.
TEST_F(FileSetWalk, TheProcessedCountIsShownAtMostEveryFiftyMillisecondsAcrossTheWrap) {
    for (int i = 0; i < 30; ++i)
        Write("f" + std::to_string(i) + ".c", "x\n");
    query.dirList = _root.c_str();
    walkClock = FakeClock;
    EXPECT_EQ(Walk(), stopNone);
    ASSERT_GE(progress.shownCounts.size(), 5u);
    EXPECT_LE(progress.shownCounts.size(), 6u);
    EXPECT_EQ(progress.shownCounts[0], 1u);
    EXPECT_EQ(progress.shownCounts[1] - progress.shownCounts[0], 6u);

    progress = RecordingProgress();
    fakeNow = 0xFFFFFFBFu; // first shown at ...C9, due again after ...FB, wraps at file 7
    EXPECT_EQ(Walk(), stopNone);
    walkClock = MillisecondClock;
    ASSERT_GE(progress.shownCounts.size(), 2u);
    EXPECT_EQ(progress.shownCounts[1], 7u);
}

TEST_F(FileSetWalk, RecordsHandedToADrainComeFileByFileInWalkOrder) {
    const std::string a = Write("a.c", "x\ny x\n");
    const std::string b = Write("sub\\b.c", "no\nx\n");
    query.dirList = _root.c_str();
    query.text = "x";
    for (unsigned threads : {1u, 3u}) {
        for (bool drained : {false, true}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, drained " + std::to_string(drained));
            KeptLines drain;
            RunResults fresh; // the counts as a run's results start them
            fresh.drain = drained ? &drain : nullptr;
            query.threads = threads;
            EXPECT_EQ(WalkFileSet(query, progress, fresh), stopNone);
            EXPECT_EQ(fresh.counters.filesWithHits, 2u);
            EXPECT_EQ(fresh.counters.hitCount, 3u);
            EXPECT_EQ(fresh.RecordCount(), 3);
            EXPECT_EQ(fresh.hitList._count, drained ? 0 : 3);
            if (drained) {
                EXPECT_EQ(drain.lines, (std::vector<std::string>{a + ":1", a + ":2", b + ":2"}));
                EXPECT_EQ(drain.batches, 2);
            }
        }
    }
}

} // namespace

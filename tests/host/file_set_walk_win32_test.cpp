// The walk of a search run over a real directory tree: masks, single-file
// entries, recursion, the end of the directory list, blank texts, stopping,
// unreadable files and the rate of the processed-files count; on several
// threads, the same outcome as on one, with faults anywhere in the walk, and
// a heap left as it was.
#include "fs/file_name.h"
#include "heap/heap.h"
#include "heap/thread_cache.h"
#include "host/file_set_walk.h"
#include "host/millisecond_clock.h"
#include "host/progress_window.h"
#include "host/statistics_lines.h"
#include "host/walk_progress.h"
#include "resources/resource.h"
#include "search/hit_record.h"
#include "search/run_counters.h"
#include "tests/fs/file_call_faults_win32.h"
#include "tests/fs/scratch_dir.h"
#include "tests/heap/heap_checker.h"
#include "tests/ui/built_library.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

class RecordingProgress : public WalkProgress {
public:
    int Open() override {
        ++opened;
        return openResult;
    }
    void KeepAlive() override {
        if (++keepAlives == stopAtKeepAlive) stop = stopWith;
    }
    void DirectoryEntered(const FileName& directory) override { directories.push_back(directory); }
    void FileProcessed(uint32_t count) override { shownCounts.push_back(count); }
    void HitsChanged(const FileName& file, const RunCounterSet&) override {
        filesWithHits.push_back(file);
        if (static_cast<int>(filesWithHits.size()) == stopAtFile) stop = stopWith;
    }
    void HitListFull(int32_t) override {}
    WalkStop StopRequest() override { return stop; }
    void ReportFailure() override { ++failures; }

    int openResult = 1;
    int opened = 0;
    int keepAlives = 0;
    int stopAtFile = 0;      // set `stop` to stopWith when this file has hits
    int stopAtKeepAlive = 0; // or at this call of KeepAlive
    WalkStop stopWith = stopNone;
    WalkStop stop = stopNone;
    int failures = 0;
    std::vector<std::string> directories;
    std::vector<uint32_t> shownCounts;
    std::vector<std::string> filesWithHits;
};

class FileSetWalk : public ::testing::Test {
protected:
    void SetUp() override { query.fileTypes = "*.*"; }

    std::string Write(const std::string& relative, const std::string& data) {
        return _scratch.Write(relative, data);
    }
    std::wstring WriteExact(const std::string& relative, const std::string& name,
                            const std::string& data) {
        const std::wstring path = _scratch.WriteExact(relative, name, data);
        EXPECT_FALSE(path.empty()) << name;
        return path;
    }

    // The file names of the hit records, sorted (enumeration order is the
    // platform's).
    std::vector<std::string> HitFiles() {
        std::vector<std::string> names;
        for (GrepInfo* g = results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g)) {
            names.push_back(g->_fileName);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    WalkStop Walk(const char* text = "needle") {
        query.text = text;
        return WalkFileSet(query, progress, results);
    }

    ScratchDir _scratch;
    const std::string _root = _scratch.Path();
    RunQuery query;
    RunResults results;
    RecordingProgress progress;
};

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
        results.hitList.DeleteAll();
        results.counters = RunCounterSet();
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

// The directory picker gives "C:" for a drive's root: the walk searches the
// root, not the drive's current directory (here the test's own folder).
TEST_F(FileSetWalk, ADriveEntryIsItsRoot) {
    const std::string rootFile = "C:\\trovik_walk_root_probe.txt";
    WriteBytes(rootFile, "needle\n");
    ASSERT_TRUE(PathExists(rootFile));
    Write("here.txt", "needle\n");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(_root.c_str());
    query.fileTypes = "trovik_walk_root_probe.txt;here.txt";
    query.subdirectories = 0;
    query.dirList = "C:";
    Walk();
    SetCurrentDirectoryA(previous);
    DeleteFileA(rootFile.c_str());
    EXPECT_EQ(HitFiles(), std::vector<std::string>{rootFile});
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

TEST_F(FileSetWalk, EmptyFilesAreNeitherCountedNorSearched) {
    Write("empty.c", "");
    Write("f.c", "needle\n");
    query.dirList = _root.c_str();
    EXPECT_EQ(Walk(), stopNone);
    EXPECT_GE(progress.keepAlives, 2);
    EXPECT_EQ(results.counters.filesProcessed, 1u);
    EXPECT_EQ(results.filesNotRead, 0u);
}

TEST_F(FileSetWalk, StopAndCancelEndTheWalkAfterTheCurrentFile) {
    for (char c = 'a'; c <= 'f'; ++c)
        Write(std::string(1, c) + ".c", "needle\n");
    query.dirList = (_root + ";" + _root).c_str();
    for (WalkStop request : {stopCancel, stopKeep}) {
        results.hitList.DeleteAll();
        results.counters = RunCounterSet();
        progress = RecordingProgress();
        progress.stopAtFile = 2;
        progress.stopWith = request;
        EXPECT_EQ(Walk(), request);
        EXPECT_EQ(results.counters.filesProcessed, 2u) << request;
        EXPECT_EQ(results.hitList._count, 2) << request;
    }
}

// The window is answered while a large tree is listed, though no file fits:
// a click on Stop ends the walk before its first subfolder is entered.
TEST_F(FileSetWalk, StopIsSeenWhileFoldersAreListed) {
    for (int i = 0; i < 50; ++i) { // 50 folders of 100: small folders are made fast
        const std::string folder = _root + "\\d" + std::to_string(i);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int j = 0; j < 100; ++j)
            CreateDirectoryA((folder + "\\e" + std::to_string(j)).c_str(), nullptr);
    }
    query.fileTypes = "*.nomatch";
    query.dirList = _root.c_str();
    class ClickedAtOnce : public ProgressWindow {
    public:
        ClickedAtOnce() : ProgressWindow(BuiltLibrary(), 0) {}
        int Open() override {
            const int opened = ProgressWindow::Open();
            PostMessageA(GetDlgItem(Window(), IDC_PROGRESS_STOP), BM_CLICK, 0, 0);
            return opened;
        }
        void DirectoryEntered(const FileName&) override { ++entered; }
        int entered = 0;
    } window;
    query.text = "needle";
    EXPECT_EQ(WalkFileSet(query, window, results), stopKeep);
    EXPECT_EQ(window.entered, 1);
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
    results.hitList.DeleteAll();
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
    results.counters = RunCounterSet();
    fakeNow = 0xFFFFFFBFu; // first shown at ...C9, due again after ...FB, wraps at file 7
    EXPECT_EQ(Walk(), stopNone);
    walkClock = MillisecondClock;
    ASSERT_GE(progress.shownCounts.size(), 2u);
    EXPECT_EQ(progress.shownCounts[1], 7u);
}

// Names that the platform's plain form reads as another file's or as a
// device, and a short name that a real file bears too: each record shows
// its own file's text, and the name it shows, searched again, finds that
// file (but the '?' form, which names a file for a reader only).
TEST_F(FileSetWalk, EveryRecordNamesTheFileItWasReadFrom) {
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC.txt"; // 日本.txt
    const char* plain[] = {"x", "x.", "y", "y ", "aux.c", "con.h", "nul.txt"};
    for (const char* name : plain)
        WriteExact("names", name, std::string("needle in ") + name + "\n");
    WriteExact("alone", japanese, "needle in alone\n");
    // Under Wine a short name is a hash of the long one, the same in every
    // folder: a real file of that name is met where the short name leads.
    const std::wstring clashing = WriteExact("clash", japanese, "needle in clash\n");
    wchar_t shortPath[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameW(clashing.c_str(), shortPath, MAX_PATH));
    const std::wstring shortName = wcsrchr(shortPath, L'\\') + 1;
    ASSERT_NE(shortName, Utf16(japanese));
    // Made on the Unix side: Wine opens the long name for the short one.
    ASSERT_TRUE(IsWine());
    ASSERT_EQ(0, RunUnixCommand("printf 'needle in real\\n' > '" + UnixPathOf(_root + "\\clash") +
                                "/" + std::string(shortName.begin(), shortName.end()) + "'"));

    query.dirList = _root.c_str();
    query.fileTypes = "*;*.*"; // names without and with one dot
    ASSERT_EQ(Walk(), stopNone);
    std::vector<std::pair<std::string, std::string>> records; // name, text
    for (GrepInfo* g = results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
        records.emplace_back(std::string(g->_fileName), std::string(g->_lineText));
    ASSERT_EQ(records.size(), 10u);
    EXPECT_EQ(results.filesNotRead, 0u);
    for (const auto& record : records) {
        SCOPED_TRACE(record.first);
        const std::string owner = record.second.substr(strlen("needle in "));
        const bool questioned = record.first.find('?') != std::string::npos;
        if (owner == "clash") {
            EXPECT_TRUE(questioned); // its short name leads to the real file
        } else if (owner == "alone" || owner == "real") {
            EXPECT_EQ(record.first, _root + (owner == "alone" ? "\\alone\\" : "\\clash\\") +
                                        std::string(shortName.begin(), shortName.end()));
        } else {
            EXPECT_EQ(record.first, _root + "\\names\\" + owner);
        }
        if (questioned) continue;
        RunResults again;
        query.dirList = record.first.c_str();
        query.text = "needle";
        WalkFileSet(query, progress, again);
        ASSERT_EQ(again.hitList._count, 1);
        EXPECT_EQ(std::string(again.hitList.GetHead()->_lineText), record.second);
        again.hitList.DeleteAll();
    }
}

// The entries are made canonical before the walk, which opens every path in
// the long form: written with ".", "..", doubled or forward separators, an
// entry finds what the canonical one finds, deep files included.
TEST_F(FileSetWalk, EntriesNotInCanonicalFormFindWhatTheCanonicalOneFinds) {
    const std::string deep = "lib\\" + std::string(120, 'd');
    Write("lib\\a.c", "needle\n");
    WriteExact(deep, "empty.c", "");
    WriteExact(deep + "\\" + std::string(120, 'e'), "f.c", "needle\n"); // beyond MAX_PATH
    query.dirList = (_root + "\\lib").c_str();
    ASSERT_EQ(Walk(), stopNone);
    const std::vector<std::string> canonical = HitFiles();
    ASSERT_EQ(canonical.size(), 2u);
    const std::string written[] = {_root + "\\.\\lib", _root + "\\x\\..\\lib", _root + "\\lib\\\\",
                                   _root + "\\\\lib", _root + "/lib/"};
    for (const std::string& entry : written) {
        results.hitList.DeleteAll();
        query.dirList = entry.c_str();
        EXPECT_EQ(Walk(), stopNone);
        EXPECT_EQ(HitFiles(), canonical) << entry;
        EXPECT_EQ(results.foldersNotListed, 0u) << entry;
    }
}

// An entry of more than 257 characters as written is refused and counted,
// one of 144 Greek letters (288 bytes in UTF-8) is walked.
TEST_F(FileSetWalk, AnEntryTooLongIsCountedAmongTheFoldersNotListed) {
    std::string half; // two folders: a Linux name holds at most 255 bytes
    for (int i = 0; i < 71; ++i)
        half += "\xCE\xB1"; // α
    const std::string greek = half + "\\" + half + "\xCE\xB1\xCE\xB1";
    WriteExact(half, "empty.c", "");
    WriteExact(greek, "f.c", "needle\n");
    query.hostUtf8 = 1;
    query.dirList = (_root + "\\" + greek + ";" + _root + "\\" + std::string(258, 'p')).c_str();
    EXPECT_EQ(Walk(), stopNone);
    EXPECT_EQ(results.hitList._count, 1);
    EXPECT_EQ(results.foldersNotListed, 1u);
}

// ---- On several threads

// "" when the texts are equal, else their first line that differs.
std::string FirstDifference(const std::string& left, const std::string& right) {
    size_t at = 0;
    while (at < left.size() && at < right.size() && left[at] == right[at])
        ++at;
    if (at == left.size() && at == right.size()) return "";
    const size_t start = left.rfind('\n', at) == std::string::npos ? 0 : left.rfind('\n', at) + 1;
    return "from \"" + left.substr(start, 200) + "\"\nto \"" + right.substr(start, 200) + "\"";
}

// The records of an outcome, which come first.
std::string Records(const std::string& outcome) {
    return outcome.substr(0, outcome.find("--\n"));
}

// Five folders of twelve files, most of them small, every third one of some
// pages, with hits on lines that differ from file to file.
class ThreadedWalk : public FileSetWalk {
protected:
    void SetUp() override {
        FileSetWalk::SetUp();
        for (int folder = 0; folder < 5; ++folder) {
            for (int file = 0; file < 12; ++file) {
                std::string text;
                const int lines = file % 3 == 0 ? 3000 : 5 + file;
                for (int line = 0; line < lines; ++line)
                    text += (line + folder) % (file + 2) == 0 ? "a needle here\r\n" : "nothing\r\n";
                files.push_back(Write(Name(folder, file), text));
            }
        }
        query.dirList = _root.c_str();
        query.fileTypes = "*.c";
    }

    static std::string Name(int folder, int file) {
        return "d" + std::to_string(folder) + "\\f" + std::to_string(file) + ".c";
    }

    // Everything a host learns from a run, as one text: the records in order,
    // then after a line "--" the counters, the files and folders not read and
    // the statistics lines.
    std::string Outcome(unsigned threads, int statistics) {
        results.hitList.DeleteAll();
        results.counters = RunCounterSet();
        progress = RecordingProgress();
        query.threads = threads;
        query.statistics = statistics;
        const WalkStop stop = Walk();
        std::string outcome;
        for (GrepInfo* g = results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g)) {
            outcome += std::string(g->_fileName.c_str()) + "(" + std::to_string(g->_lineNumber) +
                       "): " + g->_lineText.c_str() + "\n";
        }
        const RunCounterSet& c = results.counters;
        char line[200];
        snprintf(line, sizeof line,
                 "--\nstop %d, files %u, with hits %u, hits %u, not read %u, not listed %u\n", stop,
                 c.filesProcessed, c.filesWithHits, c.hitCount, results.filesNotRead,
                 results.foldersNotListed);
        outcome += line;
        for (int what = firstStatisticsLine; what <= lastStatisticsLine; ++what) {
            StatisticsLine(what, c, line, sizeof line);
            outcome += std::string(line) + "\n";
        }
        return outcome;
    }

    std::vector<std::string> files; // in the order written
};

// A file that faults, one held open by another program and a folder whose
// listing breaks off, each at a random place in the walk: on 2 and 8
// threads the run gives what it gives on one, and only those three are lost.
TEST_F(ThreadedWalk, FaultsAnywhereInTheWalkCostTheSameOnEveryThreadCount) {
    const unsigned seed = GetTickCount();
    printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int round = 0; round < 3; ++round) {
        const int brokenFolder = random() % 5;
        int faulting, locked;
        do {
            faulting = random() % 60;
            locked = random() % 60;
        } while (faulting == locked || faulting / 12 == brokenFolder ||
                 locked / 12 == brokenFolder);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) +
                     ": faulting " + Name(faulting / 12, faulting % 12) + ", locked " +
                     Name(locked / 12, locked % 12) + ", broken d" + std::to_string(brokenFolder));
        const std::string whole = Outcome(1, 0);
        HANDLE lock =
            CreateFileA(files[locked].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        std::string faulted;
        {
            FileCallFaults faults;
            faults.FailNamed(Name(faulting / 12, faulting % 12),
                             "d" + std::to_string(brokenFolder));
            for (int statistics : {0, 1}) {
                const std::string one = Outcome(1, statistics);
                EXPECT_EQ(results.filesNotRead, 2u);
                EXPECT_EQ(results.foldersNotListed, 1u);
                for (unsigned threads : {2u, 8u})
                    EXPECT_EQ(FirstDifference(Outcome(threads, statistics), one), "") << threads;
                if (!statistics) faulted = one;
            }
        }
        CloseHandle(lock);
        // The records are those of the whole tree but the lost files'.
        std::string kept;
        const std::string lostFolder = _root + "\\d" + std::to_string(brokenFolder) + "\\";
        const std::string wholeRecords = Records(whole);
        for (size_t at = 0, end; (end = wholeRecords.find('\n', at)) != std::string::npos;
             at = end + 1) {
            const std::string line = wholeRecords.substr(at, end - at + 1);
            if (line.rfind(files[faulting] + "(", 0) != 0 &&
                line.rfind(files[locked] + "(", 0) != 0 && line.rfind(lostFolder, 0) != 0)
                kept += line;
        }
        EXPECT_EQ(FirstDifference(Records(faulted), kept), "");
    }
}

// After runs on eight threads, once the records and what the test kept of
// the progress are gone, the heap behind every allocation holds the blocks
// it held before, and is sound.
TEST_F(ThreadedWalk, RunsOnEightThreadsLeaveTheHeapAsItWas) {
    auto census = [&] {
        results.hitList.DeleteAll();
        progress = RecordingProgress();
        NH_GiveBackThreadCache(&DefaultHeap);
        return TakeCensus(DefaultHeap);
    };
    Outcome(8, 0); // tables made once stay
    const HeapCensus before = census();
    for (int statistics : {0, 1, 0})
        Outcome(8, statistics);
    const HeapCensus after = census();
    ASSERT_TRUE(CheckHeap(DefaultHeap));
    EXPECT_EQ(after.smallInUse, before.smallInUse);
    EXPECT_EQ(after.bigInUse, before.bigInUse);
    EXPECT_EQ(after.virtualBlocks, before.virtualBlocks);
}

} // namespace

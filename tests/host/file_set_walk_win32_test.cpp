// The walk of a search run over a real directory tree, where only Windows
// can show it: a drive's root as an entry, Stop clicked in the progress
// window while folders are listed, names that the plain form misreads and
// short names, entries not in canonical form or too long; on several
// threads, the same outcome as on one, with faults anywhere in the walk, and
// a heap left as it was. The walk's rules in both configurations:
// file_set_walk_test.cpp.
#include "heap/heap.h"
#include "heap/thread_cache.h"
#include "host/progress_window.h"
#include "host/statistics_lines.h"
#include "resources/resource.h"
#include "search/run_counters.h"
#include "tests/fs/file_call_faults_win32.h"
#include "tests/heap/heap_checker.h"
#include "tests/host/file_set_walk_fixture.h"
#include "tests/ui/built_library.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>

namespace {

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

// Names that the platform's plain form reads as another file's or as a
// device, and a short name that a real file bears too: each record (and the
// progress) shows its own file's text, and the name it shows, searched
// again, finds that file (but the '?' form, which names a file for a reader
// only).
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
    // The progress names each file with hits as its record does.
    std::vector<std::string> named;
    for (const auto& record : records)
        named.push_back(record.first);
    EXPECT_EQ(
        std::vector<std::string>(progress.filesWithHits.begin(), progress.filesWithHits.end()),
        named);
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

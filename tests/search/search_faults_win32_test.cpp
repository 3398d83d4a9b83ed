// The walk and the search when the file layer's calls fail part-way: a file
// that cannot be opened, mapped or read, and a directory whose listing breaks
// off. Whatever fails, and wherever it falls (the first, a middle or the last
// file of a directory or of a tree), only that file, or the rest of that
// directory, is skipped and counted; every handle and view is released, and
// every other hit is still found. The failures come from the table of calls
// (tests/fs/file_call_faults_win32.h).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "fs/file_scanner.h"
#include "search/hit_record.h"
#include "search/search_file.h"
#include "search/search_text.h"
#include "tests/fs/file_call_faults_win32.h"
#include "tests/fs/scan_tree.h"
#include "tests/search/test_run.h"

namespace {

// Searches every file it is given, as the search run does: a file that
// cannot be read is counted and the walk goes on.
class SearchingScanner : public FileScanner {
public:
    SearchingScanner(const List<FileName>& entries, FileCallFaults& faults, TestRun& run)
        : FileScanner(entries, nullptr, 0, 1), _faults(faults), _run(run) {
        AddMask("*.*");
    }
    int OnFile(FileName& name, FindData*, int) override {
        walked.push_back(name);
        findNextCalls.push_back(_faults.Calls(&FileCalls::FindNextFileW));
        if (SearchFile(name, _run.Search(), searchWindowSize, patternReach, readLimit) < 0)
            notRead.push_back(name);
        return 1;
    }

    Texts walked;                         // every file reported, in walk order
    std::vector<uint32_t> findNextCalls;  // FindNextFileW calls made when it was reported
    Texts notRead;                        // files whose search gave -1
    uint32_t readLimit = searchReadLimit; // 0: every file is mapped

private:
    FileCallFaults& _faults;
    TestRun& _run;
};

// Two file-set entries: a flat directory of three files, then a tree with
// files at two levels. Every file is two pages long and has one hit.
class SearchFaults : public ScanTree {
protected:
    void SetUp() override {
        ScanTree::SetUp();
        for (const char* file :
             {"flat/f1.c", "flat/f2.c", "flat/f3.c", "tree/t1.c", "tree/sub/s1.c", "tree/sub/s2.c",
              "tree/sub/s3.c", "tree/sub2/u1.c"})
            MakeFile(file, "needle in " + std::string(file) + "\n" + std::string(8000, '.') + "\n");
        _entries.AddTail(new FileName(PathOf("flat")));
        _entries.AddTail(new FileName(PathOf("tree")));
        run.query.text = "needle";
    }

    // Walks both entries with `fail` in force; checks that nothing stays held.
    SearchingScanner* Walk(const std::function<void(FileCallFaults&)>& fail,
                           uint32_t readLimit = searchReadLimit) {
        run.results.hitList.DeleteAll();
        _scanner.reset();
        _faults.reset(); // one at a time: the old one puts its table back first
        _faults.reset(new FileCallFaults);
        fail(*_faults);
        _scanner.reset(new SearchingScanner(_entries, *_faults, run));
        _scanner->readLimit = readLimit;
        _scanner->Scan();
        EXPECT_TRUE(_faults->NothingHeld())
            << _faults->OpenHandles() << " handles, " << _faults->OpenFinds() << " finds, "
            << _faults->MappedViews() << " views";
        return _scanner.get();
    }

    Texts Hits() {
        Texts files;
        for (GrepInfo* hit = run.results.hitList.GetHead(); hit; hit = List<GrepInfo>::GetNext(hit))
            files.push_back(std::string(hit->_fileName));
        return files;
    }

    TestRun run;
    List<FileName> _entries{1};
    std::unique_ptr<FileCallFaults> _faults;
    std::unique_ptr<SearchingScanner> _scanner;
};

TEST_F(SearchFaults, AFileThatCannotBeOpenedMappedOrReadCostsOnlyThatFile) {
    const struct Kind {
        const char* name;
        std::function<void(FileCallFaults&, uint32_t nth)> fail;
        uint32_t readLimit; // the files are read, or (0) mapped
    } kinds[] = {
        {"open",
         [](FileCallFaults& f, uint32_t n) {
             f.Fail(&FileCalls::CreateFileW, n, ERROR_ACCESS_DENIED);
         },
         searchReadLimit},
        {"read",
         [](FileCallFaults& f, uint32_t n) { f.Fail(&FileCalls::ReadFile, n, ERROR_READ_FAULT); },
         searchReadLimit},
        {"mapping",
         [](FileCallFaults& f, uint32_t n) {
             f.Fail(&FileCalls::CreateFileMappingA, n, ERROR_NOT_ENOUGH_MEMORY);
         },
         0},
        {"view",
         [](FileCallFaults& f, uint32_t n) {
             f.Fail(&FileCalls::MapViewOfFile, n, ERROR_ACCESS_DENIED);
         },
         0},
        {"first byte", [](FileCallFaults& f, uint32_t n) { f.SpoilView(n, 0, PAGE_NOACCESS); }, 0},
        {"read fault", [](FileCallFaults& f, uint32_t n) { f.SpoilView(n, 4096, PAGE_NOACCESS); },
         0},
    };
    const uint32_t files = 8;
    for (const Kind& kind : kinds) {
        // The n-th file of the walk is the n-th to be opened, mapped and viewed:
        // the first, middle and last of the flat directory, then of the tree.
        for (uint32_t n = 1; n <= files; ++n) {
            SearchingScanner* scanner =
                Walk([&](FileCallFaults& f) { kind.fail(f, n); }, kind.readLimit);
            ASSERT_EQ(files, scanner->walked.size()) << kind.name << " " << n;
            EXPECT_EQ(Texts{scanner->walked[n - 1]}, scanner->notRead) << kind.name << " " << n;
            Texts expected = scanner->walked;
            expected.erase(expected.begin() + (n - 1));
            EXPECT_EQ(expected, Hits()) << kind.name << " " << n;
            EXPECT_EQ(0u, scanner->_unreadListings) << kind.name << " " << n;
        }
    }
}

TEST_F(SearchFaults, AListingThatBreaksOffSkipsTheRestOfThatDirectoryOnly) {
    // Where each file comes in the listings: a walk without failures.
    SearchingScanner* scanner = Walk([](FileCallFaults&) {});
    const Texts all = scanner->walked;
    const std::vector<uint32_t> calls = scanner->findNextCalls;
    ASSERT_EQ(8u, all.size());
    ASSERT_EQ(all, Hits());

    // For each file of the flat directory and of tree\sub (first, middle,
    // last): the listing call that would deliver it fails.
    for (const char* directory : {"flat", "tree\\sub"}) {
        const std::string prefix = std::string(PathOf(directory)) + "\\";
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].compare(0, prefix.size(), prefix) != 0) continue;
            ASSERT_GT(calls[i], 0u) << "delivered by the first call of its listing";
            scanner = Walk([&](FileCallFaults& f) {
                f.Fail(&FileCalls::FindNextFileW, calls[i], ERROR_NETNAME_DELETED);
            });
            Texts expected; // the files before it in its directory, and all others
            for (size_t j = 0; j < all.size(); ++j)
                if (j < i || all[j].compare(0, prefix.size(), prefix) != 0)
                    expected.push_back(all[j]);
            EXPECT_EQ(expected, scanner->walked) << all[i];
            EXPECT_EQ(expected, Hits()) << all[i];
            EXPECT_TRUE(scanner->notRead.empty()) << all[i];
            EXPECT_EQ(1u, scanner->_unreadListings) << all[i];
        }
    }
}

} // namespace

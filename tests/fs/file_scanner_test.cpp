// The scanner over real directory trees made in the temporary directory: under
// Wine through the Windows enumeration, natively through its POSIX stand-in
// (which shows the tree as drive Z: and gives dot-files the hidden attribute,
// as Wine does).
#include "fs/file_scanner.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "fs/directory_enumeration.h"
#include "tests/fs/scan_tree.h"

namespace {

// ---- Masks and the walk

TEST_F(ScanTree, ReportsFilesOfTheMasksBeforeSubdirectories) {
    MakeFile("A.C", 10);
    MakeFile("b.h", 20);
    MakeFile("c.txt", 40);
    MakeFile(".git/in_git.c");
    MakeFile("sub/s.c", 100);
    MakeFile("sub/deeper/d.h", 1000);

    RecordingScanner flat(PathOf(), PathOf(), "*.c");
    flat.AddMask("*.h");
    flat.Scan();
    EXPECT_EQ((Texts{"A.C", "b.h"}), flat.FileSet());
    EXPECT_EQ((Texts{"."}), flat.Events("dir"));
    EXPECT_EQ(2u, flat._fileCount);

    RecordingScanner deep(PathOf(), PathOf(), "*.c", 0, 1);
    deep.AddMask("*.h");
    deep.Scan();
    EXPECT_EQ((Texts{".", "sub", "sub\\deeper"}), deep.Events("dir"));
    const Texts files = deep.Events("file");
    ASSERT_EQ(4u, files.size());
    Texts own = {files[0].substr(2), files[1].substr(2)};
    std::sort(own.begin(), own.end());
    EXPECT_EQ((Texts{"A.C", "b.h"}), own) << "the directory's own files come first";
    EXPECT_EQ("2 sub\\s.c", files[2]);
    EXPECT_EQ("3 sub\\deeper\\d.h", files[3]);
    EXPECT_EQ(4u, deep._fileCount);
    EXPECT_EQ("begin", deep._events.front());
    EXPECT_EQ("end", deep._events.back());
}

TEST_F(ScanTree, TakesEachFileOnceWhateverMasksFitIt) {
    for (const char* name : {"x.c", "README", "a.b.c"})
        MakeFile(name, 7);
    RecordingScanner scanner(PathOf(), PathOf(), "*.c");
    for (const char* mask : {"*.*", "*.C", "x*"})
        scanner.AddMask(mask);
    scanner.Scan();
    EXPECT_EQ((Texts{"README", "a.b.c", "x.c"}), scanner.FileSet());
    EXPECT_EQ(3u, scanner._fileCount);
}

// Exclusions leave out files and whole folders at any depth (never listed);
// a folder mask lets a dot-folder in; a folder named as the entry is walked
// though an exclusion fits it.
TEST_F(ScanTree, ExclusionsLeaveOutFilesAndFoldersAtAnyDepth) {
    MakeFiles({"app.js", "app.min.js", "obj/o.js", "src/s.js", "src/obj/o.js", "src/lib/l.js",
               "src/lib/OBJ/o.js", ".github/w.js", ".git/g.js"});
    RecordingScanner scanner(PathOf(), PathOf(), "!*.min.js", 0, 1);
    for (const char* mask : {"!obj\\", ".github\\"})
        scanner.AddMask(mask);
    scanner.Scan();
    EXPECT_EQ((Texts{".github\\w.js", "app.js", "src\\lib\\l.js", "src\\s.js"}), scanner.FileSet());
    Texts folders = scanner.Events("dir");
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ((Texts{".", ".github", "src", "src\\lib"}), folders);

    RecordingScanner named(PathOf(), PathOf("src/obj"), "*.js", 0, 1);
    named.AddMask("!obj\\");
    named.Scan();
    EXPECT_EQ((Texts{"src\\obj\\o.js"}), named.FileSet());
}

// Scans that share their visits (the entries of one walk) reach each folder
// and each file once, where the first scan reaches it.
TEST_F(ScanTree, SharedVisitsReachEachFileOnceOverOverlappingEntries) {
    MakeFiles({"src/a.c", "src/lib/b.c", "src/lib/c.h"});
    WalkVisits visits;
    visits.byIdentity = true;
    visits.folderTypes = FileTypes({"*.c"});
    Texts files;
    for (const char* entry : {"src/lib/c.h", "src/lib", "src", "src/lib/b.c", "src/lib/c.h"}) {
        const bool folder = std::string(entry).find('.') == std::string::npos;
        RecordingScanner scanner(PathOf(), PathOf(entry), folder ? "*.c" : nullptr, 0, 1);
        scanner.ShareVisits(&visits);
        scanner.Scan();
        for (const std::string& file : scanner.Events("file"))
            files.push_back(file.substr(2));
    }
    EXPECT_EQ((Texts{"src\\lib\\c.h", "src\\lib\\b.c", "src\\a.c"}), files);
}

TEST_F(ScanTree, ScansAListOfDirectoriesInOrderMissingOnesIncluded) {
    MakeFiles({"one/1.c", "two/2.c"});
    List<FileName> directories;
    directories.AddTail(new FileName(PathOf("two")));
    directories.AddTail(new FileName(PathOf("missing")));
    directories.AddTail(new FileName(PathOf("one")));
    const String mask("*.c");
    RecordingScanner scanner(PathOf(), PathOf(), nullptr);
    scanner.Reset(directories, &mask, 0, 0);
    scanner.Scan();
    // The missing directory gets its OnDirectory call and nothing else.
    EXPECT_EQ((Texts{"two", "missing", "one"}), scanner.Events("dir"));
    EXPECT_EQ((Texts{"0 two\\2.c", "1 one\\1.c"}), scanner.Events("file"));
}

// ---- Directory-with-mask entries (no masks of the scanner's own)

TEST_F(ScanTree, EntryNamingOneFileLooksItUp) {
    MakeFiles({"main.c", "other.c"});
    RecordingScanner scanner(PathOf(), PathOf("main.c"), nullptr);
    scanner.Scan();
    EXPECT_EQ((Texts{"begin", "dir .", "accept main.c", "file 0 main.c", "end"}), scanner._events);
    EXPECT_EQ(0, scanner._masks._count) << "the entry's masks are its own";
}

TEST_F(ScanTree, EntryWithMasksSplitsAtBars) {
    MakeFiles({"x.c", "y.h", "z.txt", "w.cpp"});
    RecordingScanner scanner(PathOf(), PathOf("*.c | *.h||"), nullptr);
    scanner.Scan();
    EXPECT_EQ((Texts{"."}), scanner.Events("dir"));
    EXPECT_EQ((Texts{"x.c", "y.h"}), scanner.FileSet());

    // Several names without wildcards are masks over the whole directory.
    RecordingScanner names(PathOf(), PathOf("x.c|z.txt|absent.c"), nullptr);
    names.Scan();
    EXPECT_EQ((Texts{"x.c", "z.txt"}), names.FileSet());
}

TEST_F(ScanTree, EntryWithoutNamePartIsSkipped) {
    MakeFile("a.c");
    for (const String& entry : {PathOf() + "\\", String("|"), String("  ")}) {
        RecordingScanner scanner(PathOf(), entry, nullptr);
        scanner.Scan();
        EXPECT_EQ((Texts{"begin", "end"}), scanner._events) << entry;
    }
}

// ---- The subclass's answers

TEST_F(ScanTree, RefusedFileIsNeitherCountedNorTriedAgain) {
    MakeFile("a.h", 5);
    MakeFile("b.h", 50);
    RecordingScanner scanner(PathOf(), PathOf(), "*.h");
    scanner.AddMask("b.*");
    scanner._refusedName = "b.h";
    scanner.Scan();
    EXPECT_EQ((Texts{"a.h"}), scanner.FileSet());
    EXPECT_EQ(1, std::count(scanner._events.begin(), scanner._events.end(), "accept b.h"));
    EXPECT_EQ(1u, scanner._fileCount);
}

TEST_F(ScanTree, OnFileZeroEndsTheWholeScan) {
    MakeFiles({"a.c", "b.c", "sub/s.c"});
    List<FileName> directories;
    directories.AddTail(new FileName(PathOf()));
    directories.AddTail(new FileName(PathOf("sub")));
    const String mask("*.c");
    RecordingScanner scanner(PathOf(), PathOf(), nullptr);
    scanner.Reset(directories, &mask, 0, 1);
    scanner._refuseIndex = 0;
    scanner.Scan();
    ASSERT_EQ(1u, scanner.Events("file").size());
    EXPECT_EQ("end", scanner._events.back());
    EXPECT_TRUE(scanner._events.end()[-2].compare(0, 5, "file ") == 0)
        << "nothing between the refused file and EndScan";
    EXPECT_EQ((Texts{"."}), scanner.Events("dir"));
}

TEST_F(ScanTree, ShouldStopInASubdirectoryUnwindsEveryLevel) {
    MakeFiles({"tree/top.c", "tree/sub/s1.c", "tree/sub/s2.c", "tree/sub/deeper/d.c",
               "tree/other/o.c", "sibling/x.c"});
    List<FileName> directories;
    directories.AddTail(new FileName(PathOf("tree")));
    directories.AddTail(new FileName(PathOf("sibling")));
    const String mask("*.c");
    RecordingScanner scanner(PathOf(), PathOf(), nullptr, 0, 1);
    scanner.Reset(directories, &mask, 0, 1);
    // Stop at the first question asked after the file two levels down.
    scanner._stopWhen = [](const RecordingScanner& s) {
        const Texts files = s.Events("file");
        return !files.empty() && files.back().find("deeper\\") != std::string::npos;
    };
    scanner.Scan();
    const Texts files = scanner.Events("file");
    ASSERT_FALSE(files.empty());
    EXPECT_NE(std::string::npos, files.back().find(" tree\\sub\\deeper\\d.c"));
    ASSERT_GE(scanner._events.size(), 3u);
    EXPECT_EQ("stop", scanner._events.end()[-2]) << "nothing between the stop and EndScan";
    EXPECT_EQ("end", scanner._events.back());
    EXPECT_EQ(scanner._events.end()[-3].substr(0, 5), "file ");
    for (const std::string& directory : scanner.Events("dir"))
        EXPECT_NE("sibling", directory);
}

// ---- Collecting and ScanInto

TEST_F(ScanTree, CollectingReportsAfterTheWalkInTheOrderFound) {
    MakeFiles({"a.c", "b.c", "c.c", "d.h", "sub/e.c"});

    RecordingScanner direct(PathOf(), PathOf(), "*.c", 0, 1);
    direct.Scan();
    RecordingScanner collecting(PathOf(), PathOf(), "*.c", 1, 1);
    collecting.Scan();

    EXPECT_EQ(direct.Events("file"), collecting.Events("file"));
    ASSERT_EQ(4u, collecting.Events("file").size());
    const auto end = std::find(collecting._events.begin(), collecting._events.end(), "end");
    const auto firstFile = std::find_if(collecting._events.begin(), collecting._events.end(),
                                        [](const std::string& e) { return e[0] == 'f'; });
    EXPECT_LT(end, firstFile) << "EndScan comes before the first OnFile";

    Texts kept;
    for (String name = collecting.GetFirstFound(); !name.empty(); name = collecting.GetNextFound())
        kept.push_back(std::to_string(kept.size()) + " " + name.substr(PathOf().size() + 1));
    EXPECT_EQ(direct.Events("file"), kept);
    EXPECT_EQ("", collecting.GetNextFound());

    // A second scan adds up; Reset clears.
    collecting.Scan();
    EXPECT_EQ(8, collecting._found._count);
    EXPECT_EQ(8u, collecting._fileCount);
    collecting.Reset(FileName(PathOf()), nullptr, 1, 0);
    EXPECT_EQ(0, collecting._found._count);
    EXPECT_EQ(0u, collecting._fileCount);
    EXPECT_EQ("", collecting.GetFirstFound());
}

TEST_F(ScanTree, CollectingStillReportsWhatItKeptAfterAStop) {
    MakeFiles({"a.c", "b.c", "c.c"});
    RecordingScanner scanner(PathOf(), PathOf(), "*.c", 1);
    scanner._stopWhen = [](const RecordingScanner& s) { return s._found._count == 2; };
    scanner.Scan();
    EXPECT_EQ(2u, scanner.Events("file").size());
    // And a 0 from OnFile ends the reporting.
    RecordingScanner refusing(PathOf(), PathOf(), "*.c", 1);
    refusing._refuseIndex = 1;
    refusing.Scan();
    EXPECT_EQ(2u, refusing.Events("file").size());
    EXPECT_EQ(3, refusing._found._count);
}

TEST_F(ScanTree, ScanIntoAppendsNamesInsteadOfReporting) {
    MakeFiles({"a.c", "b.c"});
    RecordingScanner scanner(PathOf(), PathOf(), "*.c", 1); // collecting mode too
    List<FileName> names;
    names.AddTail(new FileName("C:\\kept.c"));
    scanner.ScanInto(names);
    EXPECT_TRUE(scanner.Events("file").empty());
    EXPECT_EQ(0, scanner._found._count);
    EXPECT_EQ(nullptr, scanner._nameSink);
    ASSERT_EQ(3, names._count);
    EXPECT_EQ("C:\\kept.c", *names.GetHead());
    Texts appended = {*names.GetAt(1), *names.GetAt(2)};
    std::sort(appended.begin(), appended.end());
    EXPECT_EQ((Texts{PathOf("a.c"), PathOf("b.c")}), appended);
}

// Wine lists a folder in name order, the names compared as the file system
// compares them (upcased: "ab" before "a_b", "zz" before "_x"); the native
// listing gives the same order, so that both builds give the same records.
TEST_F(ScanTree, FilesComeInTheFileSystemsNameOrder) {
    const Texts names = {"a-b", "ab", "a_b", "B", "zz", "_x", "\xC3\xA9"};
    // Made in an order that is neither theirs nor its reverse.
    for (size_t i : {4, 2, 6, 1, 5, 3, 0})
        MakeFile(names[i]);
    RecordingScanner scanner(PathOf(), PathOf(), "*.*");
    scanner.Scan();
    Texts order;
    for (size_t i = 0; i < names.size(); ++i)
        order.push_back(std::to_string(i) + " " + names[i]);
    EXPECT_EQ(order, scanner.Events("file"));
}

// ---- Hidden entries and the path limit

TEST_F(ScanTree, DotEntriesAreNeitherReportedNorEntered) {
    MakeFile(".profile"); // fits *.* but is hidden
    MakeFiles({"seen.c", ".cache/inside.c"});
    RecordingScanner scanner(PathOf(), PathOf(), "*.*", 0, 1);
    scanner.Scan();
    EXPECT_EQ((Texts{"seen.c"}), scanner.FileSet());
    EXPECT_EQ((Texts{"."}), scanner.Events("dir"));
}

TEST_F(ScanTree, PathsLongerThanTheOldLimitAreWalkedWithFullNames) {
    // Seven levels of 60 characters: the deepest file's path is past 400.
    std::string deep;
    for (char level = 'a'; level < 'h'; ++level) {
        deep += (deep.empty() ? "" : "/") + std::string(60, level);
        MakeDirectory(deep);
    }
    MakeFile(deep + "/deep.c");
    MakeFile("top.c");
    RecordingScanner scanner(PathOf(), PathOf(), "*.c", 0, 1);
    scanner.Scan();
    std::string deepName = deep + "/deep.c";
    std::replace(deepName.begin(), deepName.end(), '/', '\\');
    ASSERT_GT(PathOf(deep + "/deep.c").size(), 400u);
    EXPECT_EQ((Texts{deepName, "top.c"}), scanner.FileSet());
    EXPECT_EQ(0u, scanner._filesLeftOut + scanner._foldersLeftOut);
}

TEST_F(ScanTree, NamesOutsideTheCodePageAreListedInUtf8) {
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC";      // 日本
    const std::string greek = "\xCE\xB1\xCE\xBB\xCF\x86\xCE\xB1"; // αλφα
    MakeFile(greek + "/" + japanese + ".txt");
    MakeFile(japanese + ".txt");
    RecordingScanner scanner(PathOf(), PathOf(), "*.txt", 0, 1);
    scanner.Scan();
    EXPECT_EQ((Texts{greek + "\\" + japanese + ".txt", japanese + ".txt"}), scanner.FileSet());
}

// ---- Links

TEST_F(ScanTree, LinksToFoldersAreNotEnteredUnlessNamedOrFollowed) {
    MakeFiles({"tree/sub/a.c", "outside/o.c"});
    if (!MakeLink("tree/sub/up", "tree") || !MakeLink("tree/root", stdfs::path("/").string()) ||
        !MakeLink("tree/out", "outside"))
        GTEST_SKIP() << "no links to folders here";

    RecordingScanner walk(PathOf(), PathOf("tree"), "*.c", 0, 1);
    walk.Scan();
    EXPECT_EQ((Texts{"tree\\sub\\a.c"}), walk.FileSet());
    EXPECT_EQ((Texts{"tree", "tree\\sub"}), walk.Events("dir"));
    EXPECT_EQ(0u, walk._filesLeftOut + walk._foldersLeftOut);

    // The link the owner names is walked.
    RecordingScanner named(PathOf(), PathOf("tree/out"), "*.c", 0, 1);
    named.Scan();
    EXPECT_EQ((Texts{"tree\\out\\o.c"}), named.FileSet());
}

TEST_F(ScanTree, FollowedLinksWalkEachRealFolderOnceAndCountLoops) {
    MakeFiles({"tree/sub/a.c", "outside/o.c"});
    if (!MakeLink("tree/sub/loop", "tree") || !MakeLink("tree/out", "outside") ||
        !MakeLink("tree/sub/again", "outside"))
        GTEST_SKIP() << "no links to folders here";

    RecordingScanner scanner(PathOf(), PathOf("tree"), "*.c", 0, 1);
    scanner.FollowLinks(1);
    scanner.Scan();
    Texts files = scanner.FileSet();
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ("tree\\sub\\a.c", files[1]);
    // Outside is reached by two links; whichever comes first walks it.
    EXPECT_TRUE(files[0] == "tree\\out\\o.c" || files[0] == "tree\\sub\\again\\o.c") << files[0];
    EXPECT_EQ(3u, scanner.Events("dir").size());
    EXPECT_EQ(1u, scanner._foldersLeftOut); // the link back to tree
}

// ---- The pieces underneath

TEST(DirectoryEnumeration, DeliversHiddenAndSystemDirectoriesOnly) {
    const struct {
        uint32_t attributes;
        int delivered;
    } cases[] = {
        {0, 1},
        {fileAttributeArchive | fileAttributeReadOnly, 1},
        {fileAttributeHidden, 0},
        {fileAttributeSystem | fileAttributeArchive, 0},
        {fileAttributeDirectory, 1},
        {fileAttributeDirectory | fileAttributeHidden | fileAttributeSystem, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.delivered, IsEnumerated(c.attributes)) << c.attributes;
}

TEST(FindData, IsBytePacked) {
    EXPECT_EQ(4u, offsetof(FindData, _size));
    EXPECT_EQ(8u, offsetof(FindData, _attributes));
    EXPECT_EQ(12u, offsetof(FindData, _time));
    EXPECT_EQ(14u, offsetof(FindData, _date));
    EXPECT_EQ(16u, offsetof(FindData, _name));
}

} // namespace

// What only the Windows enumeration can show: attribute bits set through the
// Windows API and the entry's DOS time and date.
#include <windows.h>

#include "fs/file_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "fs/file_calls_win32.h"

#include "tests/fs/scan_tree.h"

namespace {

// Sets attribute bits and reads them back; 0 when the file system does not
// keep them (Wine keeps them in extended attributes).
int SetAttributes(const String& path, DWORD attributes) {
    return SetFileAttributesA(path.c_str(), attributes) &&
           (GetFileAttributesA(path.c_str()) & attributes) == attributes;
}

TEST_F(ScanTree, HiddenAndSystemFilesAreSkippedTheirDirectoriesWalked) {
    MakeFiles({"plain.c", "secret.c", "system.c", "hid/inner.c"});
    if (!SetAttributes(PathOf("secret.c"), FILE_ATTRIBUTE_HIDDEN) ||
        !SetAttributes(PathOf("system.c"), FILE_ATTRIBUTE_SYSTEM) ||
        !SetAttributes(PathOf("hid"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        GTEST_SKIP() << "the file system keeps no hidden or system bits";

    RecordingScanner scanner(PathOf(), PathOf(), "*.c", 0, 1);
    scanner.Scan();
    EXPECT_EQ((Texts{"hid\\inner.c", "plain.c"}), scanner.FileSet());
    SetFileAttributesA(PathOf("secret.c").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(PathOf("system.c").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Keeps the entry of the one file it is shown.
class EntryKeeper : public FileScanner {
public:
    using FileScanner::FileScanner;
    int OnFile(FileName&, FindData* entry, int) override {
        _entry = *entry;
        return 1;
    }
    FindData _entry = {};
};

TEST_F(ScanTree, EntryCarriesSizeAttributesAndLocalDosTime) {
    MakeFile("t.c", 300);
    const String path = PathOf("t.c");
    // 15 June 2021, 13:45:37 local time: the DOS form keeps seconds / 2.
    SYSTEMTIME local = {2021, 6, 2, 15, 13, 45, 37, 0};
    FILETIME localTime;
    FILETIME utcTime;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utcTime));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utcTime));
    CloseHandle(file);
    ASSERT_TRUE(SetAttributes(path, FILE_ATTRIBUTE_READONLY));

    const String mask("t.c");
    EntryKeeper scanner(FileName(PathOf()), &mask, 0, 0);
    scanner.Scan();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(1u, scanner._fileCount);
    EXPECT_STREQ("t.c", scanner._entry._name);
    EXPECT_EQ(300u, scanner._entry._size);
    EXPECT_EQ(0u, scanner._entry._reparseTag);
    EXPECT_EQ(uint32_t{fileAttributeReadOnly},
              scanner._entry._attributes & (fileAttributeReadOnly | fileAttributeDirectory));
    EXPECT_EQ((13 << 11) | (45 << 5) | 18, scanner._entry._time);
    EXPECT_EQ(((2021 - 1980) << 9) | (6 << 5) | 15, scanner._entry._date);
}

// Shows the folders named after a reparse tag (in hex) as reparse points
// with that tag, as the platform would show a junction, a symbolic link or a
// cloud store's placeholder.
class TaggedFolders {
public:
    TaggedFolders() : _saved(fileCalls) {
        fileCalls.FindFirstFileW = FindFirst;
        fileCalls.FindNextFileW = FindNext;
    }
    ~TaggedFolders() { fileCalls = _saved; }
    TaggedFolders(const TaggedFolders&) = delete;
    TaggedFolders& operator=(const TaggedFolders&) = delete;

private:
    static HANDLE WINAPI FindFirst(LPCWSTR path, LPWIN32_FIND_DATAW found) {
        HANDLE handle = ::FindFirstFileW(path, found);
        if (handle != INVALID_HANDLE_VALUE) Tag(found);
        return handle;
    }
    static BOOL WINAPI FindNext(HANDLE handle, LPWIN32_FIND_DATAW found) {
        const BOOL next = ::FindNextFileW(handle, found);
        if (next) Tag(found);
        return next;
    }
    static void Tag(LPWIN32_FIND_DATAW found) {
        if (!(found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || found->cFileName[0] != L't')
            return;
        found->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        found->dwReserved0 = wcstoul(found->cFileName + 1, nullptr, 16);
    }
    FileCalls _saved;
};

// Only links are passed over: a folder is taken for one by its reparse tag.
TEST_F(ScanTree, OnlyReparsePointsTaggedAsLinksAreNotEntered) {
    struct Case {
        const char* folder;
        bool walked;
    } cases[] = {
        {"ta0000003", false}, // a junction
        {"ta000000c", false}, // a symbolic link
        {"t0", false},        // no tag told: Wine's Unix symlink
        {"t9000001a", true},  // a cloud store's placeholder
        {"t80000013", true},  // a deduplicated folder
    };
    for (const Case& c : cases) {
        MakeDirectory(c.folder);
        MakeFile(std::string(c.folder) + "/f.c");
    }
    TaggedFolders tagged;
    RecordingScanner scanner(PathOf(), PathOf(), "*.c", 0, 1);
    scanner.Scan();
    const Texts found = scanner.FileSet();
    for (const Case& c : cases) {
        const bool walked =
            std::find(found.begin(), found.end(), std::string(c.folder) + "\\f.c") != found.end();
        EXPECT_EQ(c.walked, walked) << c.folder;
    }
}

} // namespace

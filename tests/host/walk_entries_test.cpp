// The entries of a run as its walk scans them (ExistingEntries): those that
// exist, in order, told apart as folders and files; a missing one left out,
// one too long for a path counted.
#include "host/walk_entries.h"

#include <gtest/gtest.h>

#include "host/file_set_entries.h"
#include "tests/fs/scan_tree.h"

namespace {

TEST_F(ScanTree, ExistingEntriesKeepFoldersAndFilesThatExistInOrder) {
    MakeFile("src/a.c");
    const std::string dirList = std::string(PathOf("src/a.c")) + ";" +
                                std::string(PathOf("missing")) + ";" + std::string(PathOf("src")) +
                                ";C:\\" + std::string(300, 'p') + ";";
    RunQuery query;
    query.dirList = dirList.c_str();
    query.fileTypes = "*.*";
    FileSetEntries fileSet(query);
    bool any = false;
    uint32_t tooLong = 0;
    const std::vector<WalkEntry> entries = ExistingEntries(fileSet, query, any, tooLong);
    EXPECT_TRUE(any);
    EXPECT_EQ(tooLong, 1u);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(std::string(entries[0].name), std::string(PathOf("src/a.c")));
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(std::string(entries[1].name), std::string(PathOf("src")));
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_EQ(entries[1].recursive, 1);
}

} // namespace

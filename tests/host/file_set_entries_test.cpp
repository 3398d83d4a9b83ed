// How the file set of a run becomes entries (NextFileSetEntry) and masks
// (SplitFileTypes).
#include "host/file_set_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> EntriesOf(const std::string& dirList, const char* fileTypes = "*.*") {
    RunQuery query;
    query.dirList = dirList.c_str();
    query.fileTypes = fileTypes;
    FileSetEntries entries(query);
    std::vector<std::string> found;
    String entry;
    int recursive = -1;
    while (entries.NextFileSetEntry(entry, recursive)) {
        found.push_back(entry);
        EXPECT_EQ(recursive, 1);
    }
    EXPECT_FALSE(entries.NextFileSetEntry(entry, recursive)); // ended for good
    return found;
}

using Entries = std::vector<std::string>;

TEST(NextFileSetEntry, Cases) {
    const std::string p257 = "C:\\" + std::string(254, 'p');
    struct Case {
        const char* name;
        std::string dirList;
        Entries expected;
    } cases[] = {
        {"stored form", "C:\\a;C:\\b;", {"C:\\a", "C:\\b"}},
        {"display form", "C:\\a\r\nC:\\b\r\n", {"C:\\a", "C:\\b"}},
        {"line ends run together", "C:\\a\r\n\r\n\nC:\\b", {"C:\\a", "C:\\b"}},
        {"two separators end the list", "C:\\a;;C:\\b", {"C:\\a"}},
        {"a ';' before each line end ends the list", "C:\\a;\r\nC:\\b;\r\n", {"C:\\a"}},
        {"an entry of one character ends the list", "C:\\a;x;C:\\b", {"C:\\a"}},
        {"empty list", "", {}},
        {"257 characters, then a separator", p257 + ";C:\\b", {p257, "C:\\b"}},
        // The walk refuses and counts a longer entry: it is given whole.
        {"a longer entry is given whole",
         "C:\\a;" + p257 + "x\r\nC:\\b",
         {"C:\\a", p257 + "x", "C:\\b"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EntriesOf(c.dirList), c.expected) << c.name;
    }
}

TEST(NextFileSetEntry, NoMaskGivesNoEntry) {
    EXPECT_EQ(EntriesOf("C:\\a;C:\\b", " "), Entries{});
    EXPECT_EQ(EntriesOf("C:\\a", ";"), Entries{"C:\\a"}); // two empty masks still count
}

TEST(NextFileSetEntry, TheRecursionFlagIsTheQuerysAndResetStartsOver) {
    RunQuery query;
    query.dirList = "C:\\a;C:\\b";
    query.fileTypes = "*.*";
    query.subdirectories = 0;
    FileSetEntries entries(query);
    String entry;
    int recursive = -1;
    ASSERT_TRUE(entries.NextFileSetEntry(entry, recursive));
    EXPECT_EQ(recursive, 0);
    entries.Reset();
    ASSERT_TRUE(entries.NextFileSetEntry(entry, recursive));
    EXPECT_EQ(std::string(entry), "C:\\a");
}

TEST(SplitFileTypes, CutsAtSemicolonsAndCommasKeepingEmptyPieces) {
    struct Case {
        const char* fileTypes;
        std::vector<std::string> masks;
        int count;
    } cases[] = {
        {"*.c; *.h", {"*.c", "*.h"}, 2},
        {"*.c,*.h", {"*.c", "*.h"}, 2},
        {"*.c;", {"*.c", ""}, 1},
        {";*.c", {"", "*.c"}, 2},
        {"*.c,,*.h", {"*.c", "", "*.h"}, 2},
        {";", {"", ""}, 1},
        {"", {}, 0},
        {"   ", {}, 0},
        {"my file.txt", {"myfile.txt"}, 1},
    };
    for (const Case& c : cases) {
        StringList masks;
        masks.AddTail(new StringItem<ListElement>("old")); // replaced, not kept
        EXPECT_EQ(SplitFileTypes(c.fileTypes, masks), c.count) << c.fileTypes;
        std::vector<std::string> found;
        for (StringItem<ListElement>* m = masks.GetHead(); m; m = StringList::GetNext(m))
            found.push_back(*m);
        EXPECT_EQ(found, c.masks) << c.fileTypes;
    }
}

} // namespace

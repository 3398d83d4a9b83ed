// The rules of file sets and names that need no window.
#include "ui/file_set_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(FileSetRules, StoredDirList) {
    struct Case {
        const char* display;
        const char* stored;
    } cases[] = {
        {"C:\\SRC\r\nD:\\INC\r\n", "C:\\SRC;D:\\INC;"},
        {"C:\\SRC\r\nD:\\INC", "C:\\SRC;D:\\INC"},
        {"", ""},
        {"\r\n\r\n", ""},
        {"\r\nC:\\A\r\n\r\n   \r\nC:\\B\r\n\r\n", "C:\\A;C:\\B;"},
        // Spaces and commas inside an entry stay; blanks at the ends go.
        {"  C:\\MY DIR\t\r\nC:\\a,b\r\n", "C:\\MY DIR;C:\\a,b;"},
        // A ';' inside a line separates two entries; empty entries vanish.
        {"C:\\a;;C:\\b;\r\n", "C:\\a;C:\\b;"},
        {"C:\\a;", "C:\\a"},
        {"C:\\a\nD:\\b\n", "C:\\a;D:\\b;"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StoredDirList(c.display, 100, nullptr), c.stored) << c.display;
}

TEST(FileSetRules, StoredDirListKeepsTheFirstWholeEntriesWithinTheLimit) {
    struct Case {
        const char* display;
        size_t limit;
        const char* stored;
        int leftOut;
    } cases[] = {
        {"C:\\A\r\nC:\\BB\r\n", 11, "C:\\A;C:\\BB;", 0},
        {"C:\\A\r\nC:\\BB\r\n", 10, "C:\\A;C:\\BB", 0}, // no room for the last ';'
        {"C:\\A\r\nC:\\BB\r\n", 9, "C:\\A;", 1},
        {"C:\\A\r\nC:\\BB\r\n", 4, "C:\\A", 1},
        // Never a cut path (its parent folder would widen the walk), and
        // never a later entry in place of an earlier one.
        {"C:\\LONG\r\nC:\\B\r\nC:\\C", 5, "", 3},
        {"C:\\A\r\n\r\n  \r\nC:\\B", 4, "C:\\A", 1},
    };
    for (const Case& c : cases) {
        int leftOut = -1;
        EXPECT_EQ(StoredDirList(c.display, c.limit, &leftOut), c.stored) << c.display << c.limit;
        EXPECT_EQ(leftOut, c.leftOut) << c.display << c.limit;
    }
}

TEST(FileSetRules, DisplayDirListKeepsWholeEntriesWithinTheLimit) {
    EXPECT_EQ(DisplayDirList("C:\\SRC;D:\\INC;", 100), "C:\\SRC\r\nD:\\INC\r\n");
    EXPECT_EQ(DisplayDirList("", 100), "");
    // 'C:\SRC' CR LF is 8 characters, 'D:\INC' CR LF 8 more.
    EXPECT_EQ(DisplayDirList("C:\\SRC;D:\\INC;", 15), "C:\\SRC\r\n");
    EXPECT_EQ(DisplayDirList("C:\\SRC;D:\\INC", 14), "C:\\SRC\r\nD:\\INC");
    EXPECT_EQ(DisplayDirList("C:\\SRC;D:\\INC", 13), "C:\\SRC\r\n");
    EXPECT_EQ(DisplayDirList("C:\\SRC", 5), "");
}

TEST(FileSetRules, PrependListLineRefusesWhatDoesNotFit) {
    String list;
    ASSERT_TRUE(PrependListLine("C:\\NEW", "C:\\A\r\n", 100, list));
    EXPECT_EQ(list, "C:\\NEW\r\nC:\\A\r\n");
    EXPECT_FALSE(PrependListLine("C:\\NEW", "C:\\A\r\n", 13, list));
    EXPECT_EQ(list, "C:\\NEW\r\nC:\\A\r\n");
    EXPECT_TRUE(PrependListLine("C:\\NEW", "C:\\A\r\n", 14, list));
}

TEST(FileSetRules, StoredFileTypes) {
    struct Case {
        const char* field;
        const char* stored;
    } cases[] = {
        {"*.c, *.h;", "*.c;*.h"}, {"*.c;;*.h", "*.c;*.h"},
        {"*.c,;*.h", "*.c;;*.h"}, {"", ""},
        {" * . c ", "*.c"},       {";", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StoredFileTypes(c.field), c.stored) << c.field;
}

TEST(FileSetRules, SetSectionNamesAndTrimming) {
    EXPECT_EQ(SetSectionName("My Project"), "DirSetMy_Project");
    EXPECT_EQ(SetSectionName("a b"), SetSectionName("a-b"));
    EXPECT_EQ(SetSectionName("\xDC"
                             "ber9"),
              "DirSet_ber9");
    EXPECT_EQ(SetSectionName(lastOneSetName), "DirSetLastOne");
    String text = "  a b\t ";
    TrimSpaces(text, 0);
    EXPECT_EQ(text, "a b\t");
    TrimSpaces(text, 1);
    EXPECT_EQ(text, "ab\t");
    EXPECT_TRUE(EqualNoCase("Work", "WORK"));
    EXPECT_TRUE(EqualNoCase("az", "AZ"));      // both ends of the alphabet
    EXPECT_FALSE(EqualNoCase("\xE4", "\xC4")); // only ASCII letters fold
}

TEST(FileSetRules, ButtonStates) {
    struct Case {
        SetNameKind kind;
        int modified;
        int save;
        const char* caption;
        int remove;
    } cases[] = {
        {setNameEmpty, 0, 0, nullptr, 0},          {setNameEmpty, 1, 0, nullptr, 0},
        {setNameNew, 0, 1, saveCaption, 0},        {setNameNew, 1, 1, saveCaption, 0},
        {setNameExisting, 1, 1, updateCaption, 1}, {setNameExisting, 0, 0, nullptr, 1},
    };
    for (const Case& c : cases) {
        SetButtonState state = SetButtonsFor(c.kind, c.modified);
        EXPECT_EQ(state.saveEnabled, c.save);
        EXPECT_EQ(state.saveCaption, c.caption);
        EXPECT_EQ(state.removeEnabled, c.remove);
    }
}

} // namespace

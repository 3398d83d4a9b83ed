// How the entries of a search become canonical walk paths, and which are too
// long.
#include "fs/entry_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CanonicalPath, Cases) {
    const String current = "D:\\work\\here";
    struct Case {
        const char* written;
        const char* canonical;
    } cases[] = {
        {"D:\\src\\lib", "D:\\src\\lib"},
        {"D:\\src\\.\\lib", "D:\\src\\lib"},
        {"D:\\src\\x\\..\\lib", "D:\\src\\lib"},
        {"D:\\src\\lib\\\\", "D:\\src\\lib"},
        {"D:\\src\\\\lib", "D:\\src\\lib"},
        {"D:/src/lib/", "D:\\src\\lib"},
        {"D:\\..\\..\\src", "D:\\src"}, // never above the root
        {"D:", "D:\\"},
        {"D:\\", "D:\\"},
        {"D:\\.", "D:\\"},
        {"D:\\src\\..", "D:\\"},
        {"lib", "D:\\work\\here\\lib"},
        {".\\lib\\..\\..\\up", "D:\\work\\up"},
        {"..", "D:\\work"},
        {"\\src", "D:\\src"},
        {"D:lib", "D:\\work\\here\\lib"},
        {"E:lib", "E:\\lib"},
        {"\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b"},
        {"//server/share/./b", "\\\\server\\share\\b"},
        {"\\\\server\\share\\..", "\\\\server\\share"},
        // Names keep what the platform's plain form would drop.
        {"D:\\t\\x.", "D:\\t\\x."},
        {"D:\\t\\y ", "D:\\t\\y "},
        {"D:\\t\\aux.c", "D:\\t\\aux.c"},
        {"\\\\?\\D:\\t\\.\\x", "\\\\?\\D:\\t\\.\\x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(CanonicalPath(c.written, current)), c.canonical) << c.written;
    EXPECT_EQ(std::string(CanonicalPath("\\b", "\\\\server\\share\\a")), "\\\\server\\share\\b");
}

// One rule for the entry's length: characters as written, whatever the bytes.
TEST(EntryWalkPath, RefusesOnlyEntriesOfMoreThan257Characters) {
    std::string greek = "Z:\\";
    for (int i = 0; i < 144; ++i)
        greek += "\xCE\xB1"; // α: 288 bytes, 147 characters
    const std::string longest = "Z:\\" + std::string(maxEntryCharacters - 3, 'p');
    String walkPath = "unchanged";
    EXPECT_TRUE(EntryWalkPath(greek, 1, walkPath));
    EXPECT_EQ(std::string(walkPath), greek);
    EXPECT_TRUE(EntryWalkPath(longest, 1, walkPath));
    walkPath = "unchanged";
    EXPECT_FALSE(EntryWalkPath(longest + "p", 1, walkPath));
    EXPECT_EQ(std::string(walkPath), "unchanged");
    EXPECT_EQ(Utf16Length("a\xCE\xB1\xF0\x9F\x98\x80"), 4u); // a, α and a surrogate pair
}

} // namespace

#include "fs/file_name.h"

#include <gtest/gtest.h>

#include "base/list.h"

namespace {

// ---- Taking a path apart

struct PartsCase {
    const char* path;
    const char* directory;
    const char* name;
    const char* nameWithoutExtension;
    const char* extension; // with its dot
};

const PartsCase partsCases[] = {
    {"C:\\a\\b.c", "C:\\a", "b.c", "b", ".c"},
    {"C:\\b.c", "C:", "b.c", "b", ".c"},
    {"C:\\", "C:", "", "", ""},
    {"x.c", "x.c", "x.c", "x", ".c"},
    {"C:\\dir\\archive.tar.gz", "C:\\dir", "archive.tar.gz", "archive.tar", ".gz"},
    {"C:\\my.dir\\file", "C:\\my.dir", "file", "file", ""},
    {"C:\\a\\b.TXT", "C:\\a", "b.TXT", "b", ".TXT"},
    {"C:\\src\\.git", "C:\\src", ".git", "", ".git"},
    {"a/b.c", "a/b.c", "a/b.c", "a/b", ".c"}, // a forward slash is an ordinary character
    {"C:\\a\\b.", "C:\\a", "b.", "b", "."},
    {"", "", "", "", ""},
};

TEST(FileName, TakesPathApart) {
    for (const PartsCase& c : partsCases) {
        const FileName path(c.path);
        EXPECT_EQ(c.directory, path.GetDirectory()) << c.path;
        EXPECT_EQ(c.name, path.GetName(1)) << c.path;
        EXPECT_EQ(c.nameWithoutExtension, path.GetName(0)) << c.path;
        EXPECT_EQ(c.extension, path.GetExtension(1)) << c.path;
        const String bare = *c.extension != '\0' ? c.extension + 1 : "";
        EXPECT_EQ(bare, path.GetExtension(0)) << c.path;
    }
}

struct DriveCase {
    const char* path;
    int hasDrive;
    int hasPath;
    int driveIndex;
    const char* drive;
    int isFull;
};

const DriveCase driveCases[] = {
    {"C:\\src\\a.c", 1, 1, 2, "C", 1},
    {"d:\\x", 1, 1, 3, "D", 1},
    {"z:\\x", 1, 1, 25, "Z", 1}, // the last letter, in lower case
    {"a:", 1, 0, 0, "A", 0},
    {"C:\\", 1, 1, 2, "C", 0},
    {"C:x.c", 1, 0, 2, "C", 0},
    {"\\src\\x.c", 0, 1, -1, "", 0},
    {"1:\\x", 0, 1, -1, "", 0},
    {":\\x", 0, 1, -1, "", 0},
    {"C", 0, 0, -1, "", 0},
    {"", 0, 0, -1, "", 0},
};

TEST(FileName, KnowsItsDrive) {
    for (const DriveCase& c : driveCases) {
        const FileName path(c.path);
        EXPECT_EQ(c.hasDrive, path.HasDrive()) << c.path;
        EXPECT_EQ(c.hasPath, path.HasPath()) << c.path;
        EXPECT_EQ(c.driveIndex, path.GetDriveIndex()) << c.path;
        int index = 99;
        EXPECT_EQ(c.drive, path.GetDrive(&index)) << c.path;
        EXPECT_EQ(c.driveIndex, index) << c.path;
        EXPECT_EQ(c.isFull, path.IsFullFileName()) << c.path;
    }
}

// ---- Editing

TEST(FileName, SetsExtension) {
    const struct {
        const char* path;
        const char* extension;
        const char* result;
    } cases[] = {
        {"C:\\a\\b.bak", "~AK", "C:\\a\\b.~AK"},
        {"C:\\a\\b.bak", "", "C:\\a\\b"},
        {"C:\\a\\b", "txt", "C:\\a\\b.txt"},
        {"C:\\my.dir\\file", "c", "C:\\my.dir\\file.c"},
        {"C:\\my.dir\\file", "", "C:\\my.dir\\file"},
        {"x.tar.gz", "bz2", "x.tar.bz2"},
    };
    for (const auto& c : cases) {
        FileName path(c.path);
        EXPECT_EQ(c.result, path.SetExtension(c.extension)) << c.path << " with " << c.extension;
    }
}

TEST(FileName, AppendsName) {
    const String drive = FileName::GetCurrentDrive();
    const struct {
        const char* directory;
        const char* name;
        String result;
    } cases[] = {
        {"C:\\src\\", "\\x.c", "C:\\src\\x.c"},
        {"C:\\src", "x.c", "C:\\src\\x.c"},
        {"C:\\src", "", "C:\\src\\"},
        {"C:", "x.c", "C:\\x.c"},
        {"C:\\src", "\\\\x.c", "C:\\src\\\\x.c"}, // only one leading backslash goes
        // Without a drive the root of the current drive, not the current directory.
        {"src", "x.c", drive + ":\\src\\x.c"},
        {"\\src", "x.c", drive + ":\\src\\x.c"},
        {"", "x.c", drive + ":\\x.c"},
        {"", "", drive + ":\\"},
    };
    for (const auto& c : cases) {
        FileName path(c.directory);
        EXPECT_EQ(c.result, path.Append(c.name)) << c.directory << " + " << c.name;
        EXPECT_EQ(c.result, FileName(String(c.directory), String(c.name)));
    }
}

TEST(FileName, MakesAbsolute) {
    const String drive = FileName::GetCurrentDrive();
    String directory = FileName::GetCurrentDir();
    ASSERT_TRUE(FileName(directory).HasDrive()) << directory;
    if (directory.back() != '\\') directory += '\\';
    const struct {
        const char* path;
        String result;
    } cases[] = {
        {"D:\\x.c", "D:\\x.c"},
        {"d:x.c", "d:x.c"},
        {"sub\\x.c", drive + ":\\sub\\x.c"},
        {"\\sub\\x.c", drive + ":\\sub\\x.c"},
        {"x.c", directory + "x.c"},
    };
    for (const auto& c : cases) {
        FileName path(c.path);
        EXPECT_EQ(c.result, path.MakeAbsolute()) << c.path;
    }
}

TEST(FileName, JoinsModuleDirectoryAndName) {
    const FileName settings(static_cast<ModuleHandle>(nullptr), String("TROVIK.INI"));
    EXPECT_TRUE(settings.IsFullFileName()) << settings;
    EXPECT_EQ("TROVIK.INI", settings.GetName(1));
    // The module's directory, not the module's file.
    EXPECT_EQ(String::npos, settings.find("file_name_test")) << settings;
}

TEST(FileName, SplitsFirstPart) {
    const struct {
        const char* path;
        const char* first;
        const char* rest;
    } cases[] = {
        {"a\\b\\c", "a", "b\\c"},
        {"\\\\a\\b\\c\\\\", "a", "b\\c"},
        {"C:\\src", "C:", "src"},
        {"\\name\\", "name", ""},
        {"name", "name", ""},
        {"\\\\\\", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        String first("unchanged?");
        EXPECT_EQ(c.rest, FileName(c.path).SplitFirst(&first)) << c.path;
        EXPECT_EQ(c.first, first) << c.path;
        EXPECT_EQ(c.rest, FileName(c.path).SplitFirst()) << c.path;
    }
}

// ---- Abbreviating for display

TEST(FileName, AbbreviatesStepByStep) {
    const FileName path("C:\\a\\b\\c\\x.c"); // 12 characters
    const struct {
        int width;
        const char* result;
    } cases[] = {
        {100, "C:\\a\\b\\c\\x.c"},
        {12, "C:\\a\\b\\c\\x.c"},
        {-1, "C:\\a\\b\\c\\x.c"},
        {11, "C:\\...\\x.c"},
        {10, "C:\\...\\x.c"},
        {9, "...\\x.c"},
        {7, "...\\x.c"},
        {6, "......"},
        {3, "..."},
        {2, ".."},
        {1, "."},
        {0, "C:\\a\\b\\...\\x.c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, path.Abbreviate(c.width)) << c.width;
}

TEST(FileName, AbbreviatesShallowAndDriveless) {
    EXPECT_EQ("", FileName("\\a\\b\\c\\x.c").Abbreviate(5));
    EXPECT_EQ("", FileName("x.c").Abbreviate(50));
    // One backslash: there is no directory level to give up.
    EXPECT_EQ("c:\\longname.c", FileName("c:\\longname.c").Abbreviate(0));
    EXPECT_EQ("c:\\longname.c", FileName("c:\\longname.c").Abbreviate(13));
    EXPECT_EQ("...\\longn...", FileName("c:\\longname.c").Abbreviate(12));
    // Giving up a level may lengthen the text; width 0 keeps that.
    EXPECT_EQ("C:\\...\\x", FileName("C:\\a\\x").Abbreviate(0));
}

// A file beside the running program (the settings file beside the library):
// in its folder, tests\fs of the build tree.
TEST(FileName, NamesAFileBesideTheProgram) {
    const FileName beside(ModuleHandle(), "TROVIK.INI");
    EXPECT_EQ("TROVIK.INI", beside.GetName(1));
    EXPECT_EQ("fs", FileName(beside.GetDirectory()).GetName(1)) << beside;
    EXPECT_EQ(1, beside.IsFullFileName());
}

// ---- As a list element

TEST(FileName, ComparesWithoutCase) {
    const FileName upper("C:\\SRC\\A.C");
    const FileName lower("c:\\src\\a.c");
    EXPECT_EQ(0, upper.Compare(&lower, 0));
    EXPECT_LT(FileName("C:\\a").Compare(&upper, 0), 0);
    const FileName first("C:\\a");
    EXPECT_GT(upper.Compare(&first, 0), 0);

    List<FileName> names;
    names.AddTail(new FileName("C:\\one"));
    names.AddTail(new FileName("C:\\SRC\\A.C"));
    EXPECT_EQ(1, names.IndexOf(&lower));
    List<FileName> copy(names); // clones
    EXPECT_EQ(1, copy.IsEqual(names));
}

} // namespace

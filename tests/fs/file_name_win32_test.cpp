// FileName's use of the Windows current drive and directory.
#include <windows.h>

#include "fs/file_name.h"

#include <gtest/gtest.h>

namespace {

// Changes the current directory for one test and puts it back.
class CurrentDirectory : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(0u, GetCurrentDirectoryA(sizeof _saved, _saved)); }
    void TearDown() override { SetCurrentDirectoryA(_saved); }
    char _saved[MAX_PATH];
};

TEST_F(CurrentDirectory, BareNamesGoBehindIt) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
    EXPECT_EQ("C:\\windows", FileName::GetCurrentDir());
    EXPECT_EQ("C", FileName::GetCurrentDrive());
    FileName bare("x.c");
    EXPECT_EQ("C:\\windows\\x.c", bare.MakeAbsolute());

    // A root directory already ends with its backslash.
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    FileName atRoot("x.c");
    EXPECT_EQ("C:\\x.c", atRoot.MakeAbsolute());
    FileName sub("sub\\x.c");
    EXPECT_EQ("C:\\sub\\x.c", sub.MakeAbsolute());
}

TEST_F(CurrentDirectory, RootingTakesItsDrive) {
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\"));
    EXPECT_EQ("Z", FileName::GetCurrentDrive());
    FileName directory("src");
    EXPECT_EQ("Z:\\src\\x.c", directory.Append("x.c"));
}

} // namespace

// The matcher against the platform's own wildcard matching: each name alone in
// a folder of its own, listed through FindFirstFileW with the mask.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fs/mask_match.h"
#include "tests/fs/mask_cases.h"
#include "tests/fs/scratch_dir.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())) -
        1);
    return wide;
}

// 1 when listing `folder` with `mask` finds the one file in it.
int PlatformFits(const std::wstring& folder, const char* mask) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((folder + L"\\" + Wide(mask)).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int fits = 0;
    do {
        fits |= (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return fits;
}

TEST(MatchMask, AgreesWithThePlatformsListing) {
    ScratchDir scratch;
    int row = 0;
    for (const MaskCase& c : maskCases) {
        // The long form keeps a name's trailing dot.
        const std::wstring folder = L"\\\\?\\" + Wide(scratch / std::to_string(row++));
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const HANDLE file = CreateFileW((folder + L"\\" + Wide(c.name)).c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << c.name;
        CloseHandle(file);
        EXPECT_EQ(c.fits, MatchMask(c.mask, c.name)) << c.mask << " against " << c.name;
        const int platform = PlatformFits(folder, c.mask);
        printf("ROW %s | %s | ours %d platform %d\n", c.mask, c.name, c.fits, platform);
        if (c.platformAgrees) EXPECT_EQ(c.fits, platform) << c.mask << " against " << c.name;
        DeleteFileW((folder + L"\\" + Wide(c.name)).c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

} // namespace

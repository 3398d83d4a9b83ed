// The matcher against the platform's own wildcard matching: each name alone in
// a folder of its own, listed through FindFirstFileW with the mask.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fs/mask_match.h"
#include "tests/fs/mask_cases.h"
#include "tests/fs/scratch_dir.h"

namespace {

// 1 when listing `folder` with `mask` finds the one file in it.
int PlatformFits(const std::wstring& folder, const char* mask) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((folder + L"\\" + Utf16(mask)).c_str(), &found);
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
        // Each name alone in a folder; the long form keeps its trailing dot.
        const std::wstring file = scratch.WriteExact(std::to_string(row++), c.name, "");
        ASSERT_FALSE(file.empty()) << c.name;
        const std::wstring folder = file.substr(0, file.rfind(L'\\'));
        EXPECT_EQ(c.fits, MatchMask(c.mask, c.name)) << c.mask << " against " << c.name;
        const int platform = PlatformFits(folder, c.mask);
        printf("ROW %s | %s | ours %d platform %d\n", c.mask, c.name, c.fits, platform);
        if (c.platformAgrees) {
            EXPECT_EQ(c.fits, platform) << c.mask << " against " << c.name;
        }
    }
}

} // namespace

#include "fs/mask_match.h"

#include <gtest/gtest.h>

#include "tests/fs/mask_cases.h"

namespace {

TEST(MatchMask, MatchesAsThePlatformMatchesLongNames) {
    for (const MaskCase& c : maskCases)
        EXPECT_EQ(c.fits, MatchMask(c.mask, c.name)) << c.mask << " against " << c.name;
}

} // namespace

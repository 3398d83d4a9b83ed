// The character classes of the search under Wine's Windows-1252 (the tests'
// prefix): for every byte, the platform's own answers, and the tables that
// stand in for them natively.
#include <windows.h>

#include "search/word_chars.h"

#include <gtest/gtest.h>

TEST(CharClasses, FollowThePlatformForEveryByte) {
    ASSERT_EQ(GetACP(), 1252u);
    const CharClasses& host = HostCharClasses();
    CharClasses standIn;
    FillWindows1252CharClasses(standIn);
    for (int c = 0; c < 256; ++c) {
        char upper = static_cast<char>(c);
        CharUpperBuffA(&upper, 1);
        const bool word = IsCharAlphaNumericA(static_cast<char>(c)) || c == '_';
        EXPECT_EQ(host.word[c], word) << c;
        // Both cases of a letter share the platform's upper case.
        if (host.upper[c] != c) EXPECT_EQ(host.upper[c], static_cast<unsigned char>(upper)) << c;
        EXPECT_EQ(host.upper[c], standIn.upper[c]) << c;
        EXPECT_EQ(host.word[c], standIn.word[c]) << c;
    }
    EXPECT_EQ(host.upper[0xE9], 0xC9); // é, É
    EXPECT_EQ(host.upper[0xFF], 0x9F); // ÿ, Ÿ
    EXPECT_EQ(host.upper[0xF7], 0xF7); // ÷ has no case
}

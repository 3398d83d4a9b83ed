#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_utils.h"

namespace {

std::vector<std::string> Items(const StringList& list) {
    std::vector<std::string> items;
    for (StringItem<ListElement>* item = list.GetHead(); item; item = StringList::GetNext(item))
        items.push_back(*item);
    return items;
}

typedef std::vector<std::string> Texts;

// ---- Split

TEST(Split, WithSeparators) {
    struct Case {
        const char* text;
        const char* separators;
        int trim;
        Texts expected;
    } cases[] = {
        {"a||b", "|", 0, {"a", "b"}},
        {"|||", "|", 0, {}},
        {"", "|", 0, {}},
        {"abc", "|", 0, {"abc"}},
        {"|a|", "|", 0, {"a"}},
        {"a;b,c", ";,", 0, {"a", "b", "c"}},
        {"  a\t,\tc  , \t ,\t", ",", 1, {"a", "c"}},
        {" \t a b \t,", ",", 1, {" a b "}}, // spaces, then tabs: inner spaces stay
        {" a , b ", ",", 0, {" a ", " b "}},
        {"*.cpp | *.h|", "|", 1, {"*.cpp", "*.h"}},
    };
    for (const Case& c : cases) {
        StringList list;
        EXPECT_EQ(static_cast<int>(c.expected.size()), Split(list, c.text, c.separators, c.trim));
        EXPECT_EQ(c.expected, Items(list)) << c.text;
        EXPECT_EQ(static_cast<int>(c.expected.size()), list._count);
    }
}

TEST(Split, ZeroSeparatedPieces) {
    struct Case {
        const char* text; // with its own terminating zero: one more follows
        size_t size;
        int trim;
        Texts expected;
    } cases[] = {
        {"a\0b\0", 4, 0, {"a", "b"}},
        {"one\0two\0three\0", 14, 0, {"one", "two", "three"}},
        {" x \0 \0y\0", 8, 1, {"x", "y"}},
        {"\0ignored\0", 9, 0, {}}, // an empty first piece ends the sequence
        {"", 0, 0, {}},
    };
    for (const Case& c : cases) {
        std::string buffer(c.text, c.size);
        buffer += '\0'; // the empty piece that ends the sequence
        for (const char* separators : {"", static_cast<const char*>(nullptr)}) {
            StringList list;
            Split(list, buffer.c_str(), separators, c.trim);
            EXPECT_EQ(c.expected, Items(list)) << c.size;
        }
    }
}

TEST(Split, EmptiesTheTargetFirstEvenWhenItDoesNotOwn) {
    StringList list(0);
    StringItem<ListElement>* old = new StringItem<ListElement>("old");
    list.AddTail(old); // destroyed by Split: the sanitizer reports a leak otherwise
    Split(list, "new", "|", 0);
    EXPECT_EQ(Texts{"new"}, Items(list));
    Split(list, nullptr, "|", 0);
    EXPECT_EQ(0, list._count);
    list.AddTail(new StringItem<ListElement>("kept"));
    list.DeleteAll();
}

// ---- Trimming and character edits

TEST(TrimBlanks, SpacesFirstThenTabs) {
    struct Case {
        const char* text;
        const char* both;
        const char* left;
        const char* right;
    } cases[] = {
        {"  abc  ", "abc", "abc  ", "  abc"},
        {"\t abc \t", " abc ", " abc \t", "\t abc "},
        {" \tabc\t ", "abc", "abc\t ", " \tabc"},
        {"\t\t", "", "", ""},
        {"", "", "", ""},
        {"a b", "a b", "a b", "a b"},
    };
    for (const Case& c : cases) {
        String both(c.text), left(c.text), right(c.text);
        EXPECT_EQ(static_cast<int>(strlen(c.both)), TrimBlanks(both));
        EXPECT_STREQ(c.both, both.GetText());
        EXPECT_EQ(static_cast<int>(strlen(c.left)), TrimBlanksLeft(left));
        EXPECT_STREQ(c.left, left.GetText());
        EXPECT_EQ(static_cast<int>(strlen(c.right)), TrimBlanksRight(right));
        EXPECT_STREQ(c.right, right.GetText());
    }
}

TEST(CharEdits, RemoveCountReplace) {
    String text("a-b-c-");
    EXPECT_EQ(3, CountChar(text, '-'));
    EXPECT_EQ(3, RemoveChar(text, '-'));
    EXPECT_STREQ("abc", text.GetText());
    EXPECT_EQ(0, CountChar(text, '-'));

    String path("a/b/c");
    EXPECT_EQ(2, ReplaceChar(path, '/', '\\'));
    EXPECT_STREQ("a\\b\\c", path.GetText());

    char buffer[] = "a/b:c*d";
    EXPECT_EQ(3, ReplaceChars(buffer, "/:*", '_'));
    EXPECT_STREQ("a_b_c_d", buffer);
    EXPECT_EQ(0, ReplaceChar(buffer, 'z', 'y'));

    String chained("abc");
    // Each character of the set is replaced in turn: a -> b, then b -> c.
    EXPECT_EQ(3, ReplaceChars(chained, "ab", 'b'));
    EXPECT_STREQ("bbc", chained.GetText());
    String empty;
    EXPECT_EQ(0, ReplaceChars(empty, "ab", 'x'));
}

// ---- Bounded copies

TEST(CopyBounded, NeverWritesPastTheDestination) {
    struct Case {
        const char* source;
        size_t size;
        const char* expected;
    } cases[] = {
        {"abcdef", 4, "abc"}, {"abc", 4, "abc"}, {"ab", 4, "ab"},
        {"abc", 1, ""},       {"", 4, ""},       {nullptr, 4, ""},
    };
    for (const Case& c : cases) {
        std::vector<char> destination(c.size + 1, '#');
        EXPECT_EQ(destination.data(), CopyBounded(destination.data(), c.source, c.size));
        EXPECT_STREQ(c.expected, destination.data());
        EXPECT_EQ('#', destination[c.size]); // the byte after the destination
    }
    char untouched = '#';
    CopyBounded(&untouched, "abc", 0);
    EXPECT_EQ('#', untouched);
}

TEST(CopyBytesBounded, CopiesZerosAndTerminates) {
    char destination[6];
    memset(destination, '#', sizeof destination);
    CopyBytesBounded(destination, 5, "a\0bcdef", 7);
    EXPECT_EQ(0, memcmp("a\0bc\0#", destination, 6));
    CopyBytesBounded(destination, 5, "xy", 2);
    EXPECT_EQ(0, memcmp("xy\0c\0#", destination, 6));
    CopyBytesBounded(destination, 0, "zz", 2);
    EXPECT_EQ('x', destination[0]);
}

// ---- Searching, counting, reversing, hashing

TEST(FindNoCase, IgnoresAsciiCaseOnly) {
    const char* text = "Hello World";
    EXPECT_EQ(text + 6, FindNoCase(text, "wORLD"));
    EXPECT_EQ(text + 2, FindNoCase(text, "L"));
    EXPECT_EQ(text, FindNoCase(text, ""));
    EXPECT_EQ(nullptr, FindNoCase(text, "worlds"));
    EXPECT_EQ(nullptr, FindNoCase("", "a"));
    EXPECT_EQ(nullptr, FindNoCase("\xE9t\xE9", "\xC9"));
    EXPECT_EQ(nullptr, FindNoCase("[", "{")); // '[' + 32 is '{', not a letter
}

TEST(CountOccurrences, NonOverlapping) {
    EXPECT_EQ(2, CountOccurrences("aa", "aaaaa", -1));
    EXPECT_EQ(1, CountOccurrences("aa", "aaaaa", 3));
    EXPECT_EQ(2, CountOccurrences("ab", "ab\0ab", 5)); // a length reads past zeros
    EXPECT_EQ(0, CountOccurrences("", "abc", -1));
    EXPECT_EQ(0, CountOccurrences("abcd", "abc", -1));
    EXPECT_EQ(0, CountOccurrences("A", "abc", -1)); // exact bytes
}

TEST(ReverseText, InPlaceReturningHalfTheLength) {
    char odd[] = "abcde";
    EXPECT_EQ(2, ReverseText(odd));
    EXPECT_STREQ("edcba", odd);
    String even("abcd");
    EXPECT_EQ(2, ReverseText(even));
    EXPECT_STREQ("dcba", even.GetText());
    char empty[] = "";
    EXPECT_EQ(0, ReverseText(empty));
}

TEST(HashText, ShiftsAndMixesSignedBytes) {
    EXPECT_EQ(0u, HashText(String("")));
    EXPECT_EQ((0x61u << 2) ^ 0x62u, HashText(String("ab")));
    // A byte from 128 up counts as negative: all its high bits are set.
    EXPECT_EQ(0xFFFFFF80u, HashText(String("\x80")));
    EXPECT_EQ((0xFFFFFF80u << 2) ^ 0x41u, HashText(String("\x80"
                                                          "A")));
}

// ---- Reading lines from a memory cursor

TEST(ReadLine, EveryTerminator) {
    const char data[] = "one\r\ntwo\nthree\rfour\0five\n\nsix";
    MemoryStream stream(data, sizeof data - 1); // no terminator after "six"
    for (const char* expected : {"one", "two", "three", "four", "five", "", "six"}) {
        EXPECT_STREQ(expected, ReadLine(stream).GetText());
    }
    EXPECT_EQ(0u, stream.GetRemaining());
    EXPECT_STREQ("", ReadLine(stream).GetText());
}

TEST(ReadLine, CarriageReturnAtTheEndOfTheBuffer) {
    const char data[] = "a\r";
    MemoryStream stream(data, 2);
    EXPECT_STREQ("a", ReadLine(stream).GetText());
    EXPECT_EQ(0u, stream.GetRemaining());
}

TEST(ReadCString, MovesPastTheZero) {
    const char data[] = "ab\0\0cd";
    MemoryStream stream(data, sizeof data - 1);
    EXPECT_STREQ("ab", ReadCString(stream).GetText());
    EXPECT_STREQ("", ReadCString(stream).GetText());
    EXPECT_STREQ("cd", ReadCString(stream).GetText()); // stops at the end of the buffer
    EXPECT_EQ(0u, stream.GetRemaining());
}

// ---- Numbers

TEST(NumberText, DecimalOrFormatted) {
    EXPECT_STREQ("-12", NumberText(static_cast<short>(-12)).GetText());
    EXPECT_STREQ("65535", NumberText(static_cast<unsigned short>(65535)).GetText());
    EXPECT_STREQ("-2147483648", NumberText(static_cast<int>(INT32_MIN)).GetText());
    EXPECT_STREQ("4294967295", NumberText(4294967295u).GetText());
    EXPECT_STREQ("00ff", NumberText(255, "%04x").GetText());
    EXPECT_STREQ("[  42]", NumberText(42L, "[%4ld]").GetText());
    EXPECT_STREQ("3.14", FloatText(3.14159, "%.2f").GetText());
    EXPECT_STREQ("0.5", FloatText(0.5, nullptr).GetText());
    EXPECT_STREQ("1-2", FormatText("%d-%d", 1, 2).GetText());
    EXPECT_STREQ("1:02:03", FormatText("%d:%02d:%02d", 1, 2, 3).GetText());
    const std::string wide(500, 'w'); // longer than any fixed buffer would be
    EXPECT_EQ(501u, FormatText((wide + "%d").c_str(), 7, 0).size());
}

TEST(TextToNumber, BasesAndLimits) {
    EXPECT_EQ(123, TextToNumber(String("123")));
    EXPECT_EQ(-42, TextToNumber(String("  -42xyz")));
    EXPECT_EQ(255, TextToNumber(String("ff"), 16));
    EXPECT_EQ(255, TextToNumber(String("0xff"), 0));
    EXPECT_EQ(0, TextToNumber(String("abc")));
    EXPECT_EQ(INT32_MAX, TextToNumber(String("3000000000")));
    EXPECT_EQ(INT32_MIN, TextToNumber(String("-3000000000")));
    EXPECT_EQ(3000000000u, TextToUnsigned(String("3000000000")));
    EXPECT_EQ(4294967295u, TextToUnsigned(String("-1")));
    EXPECT_EQ(4294967295u, TextToUnsigned(String("99999999999")));
    EXPECT_EQ(0xDEADBEEFu, TextToUnsigned(String("DEADBEEF"), 16));
    EXPECT_DOUBLE_EQ(-2.5e3, TextToFloat(String("-2.5e3")));
}

TEST(SizeText, DecimalUnitsTruncated) {
    struct Case {
        uint32_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 B"},          {999, "999 B"},      {1000, "1 kB"},      {999999, "999 kB"},
        {1000000, "1.0 MB"}, {1234567, "1.2 MB"}, {1999999, "1.9 MB"}, {4294967295u, "4294.9 MB"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.text, SizeText(c.bytes).GetText()) << c.bytes;
}

uint16_t DosDate(int year, int month, int day) {
    return static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day);
}

TEST(DateText, DayMonthYear) {
    EXPECT_STREQ("05/03/1997", DateText(DosDate(1997, 3, 5)).GetText());
    EXPECT_STREQ("01/01/1980", DateText(DosDate(1980, 1, 1)).GetText());
    EXPECT_STREQ("31/12/2107", DateText(DosDate(2107, 12, 31)).GetText());
    EXPECT_STREQ("29/02/2000", DateText(DosDate(2000, 2, 29)).GetText());
    // Dates the platform's conversion refuses give no text. (A day beyond the
    // month's end is refused by Windows but rolled over by Wine: not tested.)
    EXPECT_STREQ("", DateText(DosDate(1999, 0, 1)).GetText());
    EXPECT_STREQ("", DateText(DosDate(1999, 13, 1)).GetText());
    EXPECT_STREQ("", DateText(DosDate(1999, 1, 0)).GetText());
}

TEST(LoadResourceText, MissingResourceGivesThePreset) {
    EXPECT_STREQ("***", LoadResourceText(nullptr, 54321).GetText());
}

// ---- Number lists

TEST(NumberList, TextAndParse) {
    const int32_t values[] = {1, 22, -3, 2147483647};
    EXPECT_STREQ("1,22,-3,2147483647", NumberListText(values, 4, ',').GetText());
    EXPECT_STREQ("", NumberListText(values, 0, ',').GetText());

    int count = -1;
    int32_t* parsed = ParseNumberList("12, 7;x0 -3 99999999999", count);
    ASSERT_EQ(5, count);
    const int32_t expected[] = {12, 7, 0, 3, INT32_MAX};
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(expected[i], parsed[i]) << i;
    free(parsed);

    // A run far beyond 99 digits is still one value, read safely.
    const std::string longRun = "5," + std::string(500, '9') + ",6";
    parsed = ParseNumberList(longRun.c_str(), count);
    ASSERT_EQ(3, count);
    EXPECT_EQ(INT32_MAX, parsed[1]);
    EXPECT_EQ(6, parsed[2]);
    free(parsed);

    EXPECT_EQ(nullptr, ParseNumberList("no digits", count));
    EXPECT_EQ(0, count);
}

} // namespace

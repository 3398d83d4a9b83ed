#include <gtest/gtest.h>

#include "base/list.h"
#include "base/string.h"
#include "base/string_item.h"
#include "tests/base/case_setting.h"

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// ---- Construction and value semantics

TEST(String, NullTextGivesEmptyString) {
    EXPECT_EQ(0, String(static_cast<const char*>(nullptr)).GetLength());
    String text("abc");
    text = static_cast<const char*>(nullptr);
    EXPECT_TRUE(text.empty());
    EXPECT_STREQ("", text.GetText());
}

TEST(String, PartOfTextKeepsEmbeddedBytes) {
    EXPECT_STREQ("cde", String("abcdefg", 2, 3).GetText());
    EXPECT_EQ(0, String(nullptr, 0, 0).GetLength());
    String withZero("a\0b", 0, 3);
    EXPECT_EQ(3, withZero.GetLength());
}

TEST(String, CopiesAreIndependent) {
    String original("abc");
    String copy(original);
    copy[0] = 'X';
    copy += 'd';
    EXPECT_STREQ("abc", original.GetText());
    EXPECT_STREQ("Xbcd", copy.GetText());
    String assigned;
    assigned = original;
    original += "def";
    EXPECT_STREQ("abc", assigned.GetText());
}

TEST(String, ConcatenationInEveryOrder) {
    const String ab("ab");
    EXPECT_STREQ("abcd", (ab + "cd").GetText());
    EXPECT_STREQ("cdab", ("cd" + ab).GetText());
    EXPECT_STREQ("abab", (ab + ab).GetText());
    EXPECT_STREQ("ab", (ab + static_cast<const char*>(nullptr)).GetText());
    EXPECT_STREQ("ab", ab.GetText());
}

TEST(String, StripAtEitherOrBothEnds) {
    struct Case {
        const char* text;
        String::StripWhere where;
        const char* expected;
    } cases[] = {
        {"\\\\a\\b\\\\", String::stripBoth, "a\\b"},
        {"\\\\a\\b\\\\", String::stripLeading, "a\\b\\\\"},
        {"\\\\a\\b\\\\", String::stripTrailing, "\\\\a\\b"},
        {"\\\\\\", String::stripBoth, ""},
        {"\\\\\\", String::stripLeading, ""},
        {"", String::stripBoth, ""},
        {"abc", String::stripBoth, "abc"},
    };
    for (const Case& c : cases) {
        String text(c.text);
        EXPECT_STREQ(c.expected, text.Strip('\\', c.where).GetText()) << c.text << " " << c.where;
    }
}

// ---- The case setting

TEST(String, CaseSettingIsOnByDefaultAndReportsThePrevious) {
    EXPECT_EQ(1, String::IsCaseSensitive());
    EXPECT_EQ(1, String::SetCaseSensitive(0));
    EXPECT_EQ(0, String::SetCaseSensitive(1));
}

TEST(String, EqualityHonoursTheCaseSetting) {
    const String text("Hello");
    {
        CaseSetting on(1);
        EXPECT_TRUE(text == "Hello");
        EXPECT_FALSE(text == "hello");
        EXPECT_TRUE("HELLO" != text);
        EXPECT_FALSE(text == String("HELLO"));
    }
    {
        CaseSetting off(0);
        EXPECT_TRUE(text == "hello");
        EXPECT_TRUE("HELLO" == text);
        EXPECT_TRUE(text == String("hElLo"));
        EXPECT_FALSE(text == "Hell");
        EXPECT_FALSE(text == "Hello!");
        // Only ASCII letters fold.
        EXPECT_FALSE(String("\xE9") == "\xC9");
    }
}

TEST(String, ComparisonOrders) {
    struct Case {
        const char* left;
        const char* right;
        int caseOn;  // sign of the result with case on
        int caseOff; // and with case off
    } cases[] = {
        {"abc", "abc", 0, 0},   {"abc", "ABC", 1, 0}, {"abc", "abd", -1, -1}, {"ab", "abc", -1, -1},
        {"", "", 0, 0},         {"a", "B", 1, -1}, // 'a' > 'B' as bytes, 'A' < 'B' folded
        {"_", "a", -1, 1},     // '_' sits between the cases: below 'a', above 'A'
        {"\x80", "a", 1, -1},  // signed when off: 128 orders before everything
        {"a\x80", "a", 1, -1}, // ... even before the terminating zero
        {"\xFF", "\x80", 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.caseOn, Sign(CompareText(c.left, c.right, 1))) << c.left << " " << c.right;
        EXPECT_EQ(c.caseOff, Sign(CompareText(c.left, c.right, 0))) << c.left << " " << c.right;
        CaseSetting off(0);
        EXPECT_EQ(c.caseOff, Sign(CompareText(c.left, c.right)));
    }
    EXPECT_EQ(0, CompareText(nullptr, ""));
    EXPECT_GT(CompareText("a", nullptr), 0);
}

// ---- StringItem<ListElement>

typedef StringItem<ListElement> Item;

std::string Joined(const List<Item>& list) {
    std::string text;
    for (Item* item = list.GetHead(); item; item = List<Item>::GetNext(item)) {
        text += *item;
        text += ' ';
    }
    return text;
}

void AddSorted(List<Item>& list, std::initializer_list<const char*> texts) {
    for (const char* text : texts)
        list.AddSorted(new Item(text));
}

TEST(StringItem, SortsAsBytesWithCaseOnAndIgnoresCaseWithCaseOff) {
    {
        CaseSetting on(1);
        List<Item> list;
        AddSorted(list, {"beta", "Alpha", "alpha", "Beta", "_x"});
        EXPECT_EQ("Alpha Beta _x alpha beta ", Joined(list));
    }
    {
        CaseSetting off(0);
        List<Item> list;
        AddSorted(list, {"beta", "Alpha", "_x", "alpha", "Beta"});
        // Equal texts keep their order of arrival.
        EXPECT_EQ("Alpha alpha beta Beta _x ", Joined(list));
    }
}

TEST(StringItem, FindByTextAndCopyTheList) {
    List<Item> list;
    AddSorted(list, {"one", "two", "three"});
    Item key("TWO");
    EXPECT_EQ(nullptr, list.Find(&key));
    {
        CaseSetting off(0);
        ASSERT_NE(nullptr, list.Find(&key));
        EXPECT_STREQ("two", list.Find(&key)->GetText());
    }

    List<Item> copy(list);
    ASSERT_EQ(3, copy._count);
    EXPECT_EQ(1, copy.IsEqual(list));
    *copy.GetHead() += "!";
    EXPECT_EQ("one three two ", Joined(list));
    EXPECT_EQ("one! three two ", Joined(copy));
}

TEST(StringItem, DestroyedThroughTheElementBase) {
    // Under the sanitizer this proves the text is released through the
    // virtual destructor of Element.
    Element* element = new Item(String(std::string(200, 'x')));
    Element* clone = element->Clone(0);
    delete element;
    ASSERT_NE(nullptr, clone);
    EXPECT_EQ(200, static_cast<Item*>(clone)->GetLength());
    delete clone;
}

} // namespace

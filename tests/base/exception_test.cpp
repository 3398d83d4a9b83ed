#include <gtest/gtest.h>

#include <cstring>
#include <exception>
#include <functional>
#include <type_traits>

#include "base/exception.h"
#include "base/file_messages.h"
#include "tests/base/raised.h"

namespace {

// A handler of the standard base catches every Exception.
static_assert(std::is_base_of_v<std::exception, Exception>);

const char* Text(const String* text) {
    return text ? text->GetText() : nullptr;
}

// ---- The file message table

TEST(FileMessages, EveryNumberOnceInStoredOrder) {
    const int32_t order[] = {18009, 18025, 18010, 18011, 18000, 18001, 18002, 18003, 18004,
                             18005, 18006, 18018, 18007, 18008, 18013, 18014, 18015, 18016,
                             18017, 18019, 18020, 18021, 18026, 18023, 18022, 18024, 18012};
    int rows = 0;
    for (const FileMessage* row = fileMessages; row->text; ++row, ++rows) {
        ASSERT_LT(rows, 27);
        EXPECT_EQ(order[rows], row->id);
        EXPECT_GT(strlen(row->text), 0u);
    }
    EXPECT_EQ(27, rows);
}

TEST(GetMessageText, KnownAndUnknownNumbers) {
    EXPECT_STREQ("File error", GetMessageText(18012).GetText());
    EXPECT_STREQ("There is not enough disk space on partition %s.",
                 GetMessageText(18019).GetText());
    EXPECT_STREQ("Invalid directory name.", GetMessageText(18008).GetText());
    EXPECT_STREQ("", GetMessageText(17999).GetText());
    EXPECT_STREQ("", GetMessageText(0).GetText());
}

// ---- Construction and copies

TEST(Exception, TextsAreKeptOnlyWhenGivenAndNotEmpty) {
    EXPECT_EQ(nullptr, Exception().GetText());
    EXPECT_EQ(nullptr, Exception("").GetText());
    EXPECT_EQ(nullptr, Exception(static_cast<const char*>(nullptr)).GetText());
    EXPECT_EQ(nullptr, Exception(String(), String("b")).GetText());
    EXPECT_STREQ("b", Text(Exception(String(), String("b")).GetText2()));

    const Exception full("one", "two", -7);
    EXPECT_STREQ("one", Text(full.GetText()));
    EXPECT_STREQ("two", Text(full.GetText2()));
    EXPECT_EQ(-7, full.GetCode());
    EXPECT_EQ(0, full.GetExtra());
    EXPECT_STREQ("", full.what());

    const Exception coded(String("msg"), 5);
    EXPECT_STREQ("msg", Text(coded.GetText()));
    EXPECT_EQ(nullptr, coded.GetText2());
    EXPECT_EQ(5, coded.GetCode());
}

TEST(Exception, CopiesOwnTheirTexts) {
    Exception* original = new Exception("one", "two", 3);
    original->SetExtra(2);
    Exception copy(*original);
    EXPECT_NE(original->GetText(), copy.GetText());
    delete original; // the copy's texts must survive (the sanitizer checks)
    EXPECT_STREQ("one", Text(copy.GetText()));
    EXPECT_STREQ("two", Text(copy.GetText2()));
    EXPECT_EQ(3, copy.GetCode());
    EXPECT_EQ(2, copy.GetExtra());

    Exception assigned("other");
    assigned = copy;
    assigned = assigned;
    EXPECT_STREQ("two", Text(assigned.GetText2()));
    EXPECT_NE(copy.GetText2(), assigned.GetText2());
    assigned = Exception();
    EXPECT_EQ(nullptr, assigned.GetText());
}

// ---- Raise

TEST(Raise, EveryForm) {
    struct Case {
        std::function<void()> raise;
        const char* text;
        const char* text2;
        int32_t code;
    } cases[] = {
        {[] { Raise(); }, nullptr, nullptr, 0},
        {[] { Raise("t"); }, "t", nullptr, 0},
        {[] { Raise(String("t")); }, "t", nullptr, 0},
        {[] { Raise(18012); }, "File error", nullptr, 0},
        {[] { Raise("t", 4); }, "t", nullptr, 4},
        {[] { Raise(String("t"), 4); }, "t", nullptr, 4},
        {[] { Raise(18012, 5); }, "File error", nullptr, 5},
        {[] { Raise("t", "u"); }, "t", "u", 0},
        {[] { Raise(String("t"), String("u")); }, "t", "u", 0},
        {[] { Raise(18012, MessageId(18008)); }, "File error", "Invalid directory name.", 0},
        {[] { Raise("t", "u", 6); }, "t", "u", 6},
        {[] { Raise(String("t"), String("u"), 6); }, "t", "u", 6},
        {[] { Raise(18008, 18012, 7); }, "Invalid directory name.", "File error", 7},
        {[] { Raise(99999, 8); }, nullptr, nullptr, 8}, // unknown number: still raised
        {[] { Raise(MessageId(99999), MessageId(18012)); }, nullptr, "File error", 0},
    };
    int index = 0;
    for (const Case& c : cases) {
        const Exception caught = RaisedBy(c.raise);
        EXPECT_STREQ(c.text, Text(caught.GetText())) << index;
        EXPECT_STREQ(c.text2, Text(caught.GetText2())) << index;
        EXPECT_EQ(c.code, caught.GetCode()) << index;
        ++index;
    }
}

TEST(Raise, AnExistingExceptionIsCopiedAndLeftToItsOwner) {
    Exception full("disk", 112);
    full.SetExtra(3);
    const Exception caught = RaisedBy([&] { Raise(full); });
    EXPECT_EQ(3, caught.GetExtra());
    EXPECT_EQ(112, caught.GetCode());
    EXPECT_NE(full.GetText(), caught.GetText());
    EXPECT_STREQ("disk", Text(full.GetText()));
}

} // namespace

// HitReader: any index gives the right record, whatever was read before and
// whatever was appended since.
#include "host/hit_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void Fill(List<GrepInfo>& list, int from, int to) {
    for (int i = from; i < to; ++i)
        list.AddTail(new GrepInfo(SharedText("f"), "t", i));
}

TEST(HitReader, EveryOrderOfReadingGivesTheRecordAtTheIndex) {
    List<GrepInfo> list;
    Fill(list, 0, 50);
    HitReader reader(list);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(reader.At(i)->_lineNumber, i);
    for (int i = 49; i >= 0; --i)
        ASSERT_EQ(reader.At(i)->_lineNumber, i);
    srand(7);
    for (int n = 0; n < 500; ++n) {
        int i = rand() % 50;
        ASSERT_EQ(reader.At(i)->_lineNumber, i);
    }
}

TEST(HitReader, IndexesOutsideTheListGiveNull) {
    List<GrepInfo> list;
    HitReader reader(list);
    EXPECT_EQ(reader.At(0), nullptr);
    Fill(list, 0, 3);
    for (int i : {-1, 3, 1 << 30, -2147483647 - 1})
        EXPECT_EQ(reader.At(i), nullptr) << i;
}

// A run appends while the host may read: the remembered record stays valid;
// after Forget the list may be emptied and refilled.
TEST(HitReader, AppendingKeepsAndEmptyingForgetsThePosition) {
    List<GrepInfo> list;
    Fill(list, 0, 10);
    HitReader reader(list);
    ASSERT_EQ(reader.At(8)->_lineNumber, 8);
    Fill(list, 10, 20);
    EXPECT_EQ(reader.At(15)->_lineNumber, 15);
    reader.Forget();
    list.DeleteAll();
    Fill(list, 100, 105);
    EXPECT_EQ(reader.At(2)->_lineNumber, 102);
    EXPECT_EQ(reader.At(15), nullptr);
}

} // namespace

#include "base/indirect_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Items are heap-allocated pairs; the handlers order them by value
// (descending when the comparison argument is 1), copy them with the copy
// argument as tag, refuse to copy negative values, and count the live ones.
struct Item {
    int value;
    int tag;
};
int live = 0;

Item* NewItem(int value, int tag = 0) {
    ++live;
    return new Item{value, tag};
}

void FreeItem(void* item) {
    --live;
    delete static_cast<Item*>(item);
}

int OrderItems(const void* first, const void* second, int32_t compareArg) {
    int a = static_cast<const Item*>(first)->value, b = static_cast<const Item*>(second)->value;
    int order = a < b ? -1 : a > b ? 1 : 0;
    return compareArg == 1 ? -order : order;
}

void* CopyTagged(const void* item, int32_t arg) {
    int value = static_cast<const Item*>(item)->value;
    return value < 0 ? nullptr : NewItem(value, arg);
}

typedef std::vector<int> Ints;

// A list with the test handlers; owning unless told.
struct Items : IDoubleList {
    explicit Items(int owns = 1) : IDoubleList(owns) {
        _deleteItem = FreeItem;
        _compareItems = OrderItems;
        _copyItem = CopyTagged;
    }
    Items(const Items& source) : IDoubleList(source) {}

    Item* At(int index) const { return static_cast<Item*>(GetAt(index)); }

    // Checks the links through Next and Prev and returns the values.
    Ints Values() const {
        Ints forward, backward;
        void* previous = nullptr;
        for (void* item = GetHead(); item; item = Next(item)) {
            EXPECT_EQ(previous, Prev(item));
            forward.push_back(static_cast<Item*>(item)->value);
            previous = item;
        }
        EXPECT_EQ(previous, GetTail());
        for (void* item = GetTail(); item; item = Prev(item))
            backward.insert(backward.begin(), static_cast<Item*>(item)->value);
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(_count, static_cast<int32_t>(forward.size()));
        return forward;
    }
    Ints Tags() const {
        Ints tags;
        for (void* item = GetHead(); item; item = Next(item))
            tags.push_back(static_cast<Item*>(item)->tag);
        return tags;
    }
    void Fill(const Ints& values) {
        for (int value : values)
            AddTail(NewItem(value));
    }
};

class IndirectListTest : public ::testing::Test {
protected:
    void SetUp() override { live = 0; }
    void TearDown() override { EXPECT_EQ(0, live) << "items leaked or destroyed twice"; }
};

TEST_F(IndirectListTest, AddingAtTheEndsAndBesideAReference) {
    Items list;
    Item* two = static_cast<Item*>(list.AddTail(NewItem(2)));
    list.AddHead(NewItem(1));
    list.InsertAfter(NewItem(3), two);
    list.InsertAfter(NewItem(0), nullptr);
    list.InsertBefore(NewItem(9), nullptr);
    list.InsertBefore(NewItem(-1), list.GetHead());
    list.InsertBefore(NewItem(5), two);
    EXPECT_EQ((Ints{-1, 0, 1, 5, 2, 3, 9}), list.Values());
    EXPECT_EQ(nullptr, list.Next(list.GetTail()));
    Item stranger{0, 0};
    EXPECT_EQ(nullptr, list.Next(&stranger));
    EXPECT_EQ(nullptr, list.Prev(&stranger));
}

TEST_F(IndirectListTest, AddSortedKeepsEqualItemsInArrivalOrder) {
    Items list;
    const int values[] = {3, 1, 3, 2, 1, 3, 0};
    for (int i = 0; i < 7; ++i)
        list.AddSorted(NewItem(values[i], i));
    EXPECT_EQ((Ints{0, 1, 1, 2, 3, 3, 3}), list.Values());
    EXPECT_EQ((Ints{6, 1, 4, 3, 0, 2, 5}), list.Tags());
}

TEST_F(IndirectListTest, AddUniqueDestroysTheNewItemOnlyWhenOwning) {
    for (int owns : {1, 0}) {
        Items list(owns);
        list.Fill({1, 2});
        Item* duplicate = NewItem(2);
        EXPECT_EQ(list.At(1), list.AddUnique(duplicate));
        EXPECT_EQ(owns ? 2 : 3, live);
        if (!owns) FreeItem(duplicate);
        list.DeleteAll();
    }
}

TEST_F(IndirectListTest, RemovingAndDestroying) {
    Items list(0);
    list.Fill({1, 2, 3, 4});
    void* head = list.GetHead();
    list.Remove(head);
    list.Delete(list.GetTail()); // destroys even in a non-owning list
    Item stranger{2, 0};
    list.Remove(&stranger); // not in the list: nothing happens
    list.Delete(&stranger);
    EXPECT_EQ((Ints{2, 3}), list.Values());
    EXPECT_EQ(3, live);
    FreeItem(head);

    EXPECT_EQ(1, list.DeleteEqual(&stranger)); // equal by value
    EXPECT_EQ(0, list.DeleteEqual(&stranger));
    void* three = list.GetHead();
    Item key{3, 0};
    EXPECT_EQ(1, list.RemoveEqual(&key));
    EXPECT_EQ(Ints{}, list.Values());
    EXPECT_EQ(1, live);
    FreeItem(three);
}

TEST_F(IndirectListTest, DestroyingFreesNodesAndOnlyOwnedItems) {
    std::vector<void*> kept;
    {
        Items owning(1), borrowing(0);
        owning.Fill({1, 2});
        borrowing.Fill({3, 4});
        kept = {borrowing.GetHead(), borrowing.GetTail()};
        owning.DeleteAll();
        owning.DeleteAll(); // empty: nothing happens
        owning.Fill({5});
    }
    EXPECT_EQ(2, live);
    for (void* item : kept)
        FreeItem(item);

    Items list;
    list.Fill({1, 2});
    void* first = list.GetHead();
    void* second = list.GetTail();
    list.Flush();
    EXPECT_EQ(Ints{}, list.Values());
    FreeItem(first);
    FreeItem(second);
}

TEST_F(IndirectListTest, ReplaceStoresTheNewItemInTheOldNode) {
    Items list;
    list.Fill({1, 2, 3});
    Item* replacement = NewItem(9);
    EXPECT_EQ(replacement, list.Replace(list.At(1), replacement));
    EXPECT_EQ((Ints{1, 9, 3}), list.Values());
    EXPECT_EQ(3, live);
    list.Replace(list.At(0), list.At(0)); // by itself: kept alive
    EXPECT_EQ((Ints{1, 9, 3}), list.Values());

    Items borrowing(0);
    borrowing.Fill({1});
    void* old = borrowing.GetHead();
    borrowing.Replace(old, NewItem(2));
    EXPECT_EQ(5, live);
    FreeItem(old);
    borrowing.DeleteAll();
}

TEST_F(IndirectListTest, SwapExchangesItemsAndReverseRelinks) {
    Items list;
    list.Fill({0, 1, 2, 3});
    list.Swap(list.At(1), list.At(0));
    list.Swap(list.At(0), list.At(3));
    list.Swap(list.At(2), list.At(2));
    EXPECT_EQ((Ints{3, 0, 2, 1}), list.Values());
    list.Reverse();
    EXPECT_EQ((Ints{1, 2, 0, 3}), list.Values());
}

TEST_F(IndirectListTest, ForEachMayDeleteTheItemItIsHanded) {
    Items list;
    list.Fill({1, 2, 3, 4});
    struct Visit {
        Items* list;
        Ints seen;
    } visit = {&list, {}};
    list.ForEach(
        [](void* item, void* arg) {
            Visit* v = static_cast<Visit*>(arg);
            v->seen.push_back(static_cast<Item*>(item)->value);
            if (static_cast<Item*>(item)->value % 2 == 1) v->list->Delete(item);
        },
        &visit);
    EXPECT_EQ((Ints{1, 2, 3, 4}), visit.seen);
    EXPECT_EQ((Ints{2, 4}), list.Values());
}

TEST_F(IndirectListTest, LookupsByKeyPositionAndIdentity) {
    Items list;
    list._compareArg = 1; // only the sign of the order changes: equality holds
    list.Fill({5, 8, 5, 6});
    Item five{5, 0}, six{6, 0}, seven{7, 0};
    EXPECT_EQ(list.At(0), list.Find(&five));
    EXPECT_EQ(0, list.IndexOf(&five));
    EXPECT_EQ(3, list.IndexOf(&six));
    EXPECT_EQ(-1, list.IndexOf(&seven));
    EXPECT_EQ(nullptr, list.GetAt(4));
    EXPECT_EQ(0, list.Contains(&five)); // equal, but not the same item
    EXPECT_EQ(list.At(0), list.FindDuplicate());
    auto even = [](void* item, void*) { return static_cast<Item*>(item)->value % 2 == 0 ? 1 : 0; };
    EXPECT_EQ(list.At(1), list.FirstThat(even, nullptr));
    EXPECT_EQ(list.At(3), list.LastThat(even, nullptr));
    Items other;
    other.Fill({5, 8, 5, 6});
    EXPECT_EQ(1, list.IsEqual(other));
}

TEST_F(IndirectListTest, ListWithoutHandlersBehavesLikeDefaultElements) {
    Item a{1, 0}, b{1, 0};
    IDoubleList list(0);
    list.AddSorted(&a);
    list.AddSorted(&b);
    EXPECT_EQ(&b, list.GetHead()); // every comparison is -1: the newest goes first
    EXPECT_EQ(nullptr, list.Find(&a));
    EXPECT_EQ(nullptr, list.FindDuplicate());
    IDoubleList copy(list);
    EXPECT_EQ(0, copy._count); // nothing can be copied
    IDoubleList owning(1);
    owning.AddTail(&a);
    owning.DeleteAll(); // no deleter: the item is left alone
    EXPECT_EQ(0, owning._count);
}

TEST_F(IndirectListTest, CopyingAssigningAndMerging) {
    Items source;
    source._compareArg = 1;
    source.Fill({3, -1, 2}); // -1 cannot be copied
    Items copy(source);
    EXPECT_EQ((Ints{3, 2}), copy.Values());
    EXPECT_EQ(1, copy._compareArg);
    EXPECT_NE(source.GetHead(), copy.GetHead());

    copy.Assign(source, 4);
    EXPECT_EQ((Ints{3, 2}), copy.Values());
    EXPECT_EQ((Ints{4, 4}), copy.Tags());
    copy.Assign(copy, 0); // onto itself: unchanged
    EXPECT_EQ((Ints{4, 4}), copy.Tags());

    copy.AppendClones(copy, 5);
    EXPECT_EQ((Ints{3, 2, 3, 2}), copy.Values());

    Items sorted;
    sorted.Fill({1, 3});
    Items more;
    more.Fill({4, 2, 3});
    sorted.AddSortedClones(more, 6);
    EXPECT_EQ((Ints{1, 2, 3, 3, 4}), sorted.Values());
    EXPECT_EQ((Ints{0, 6, 0, 6, 6}), sorted.Tags());

    sorted.MergeSorted(more);
    EXPECT_EQ((Ints{1, 2, 2, 3, 3, 3, 4, 4}), sorted.Values());
    EXPECT_EQ(Ints{}, more.Values());
    sorted.MergeSorted(sorted);
    EXPECT_EQ(8, sorted._count);
}

} // namespace

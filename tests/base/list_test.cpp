#include "base/list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// A counted test element. It orders by value, descending when the list's
// comparison argument is 1; its clone carries the clone argument as tag, and
// an element with a negative value cannot be cloned.
struct Item : ListElement {
    static int live;
    int value;
    int tag;

    explicit Item(int v, int t = 0) : value(v), tag(t) { ++live; }
    Item(const Item& other) : ListElement(other), value(other.value), tag(other.tag) { ++live; }
    Item& operator=(const Item&) = default;
    ~Item() override { --live; }

    int Compare(const Element* other, int32_t compareArg) const override {
        int theirs = static_cast<const Item*>(other)->value;
        int order = value < theirs ? -1 : value > theirs ? 1 : 0;
        return compareArg == 1 ? -order : order;
    }
    Element* Clone(int32_t arg) const override {
        return value < 0 ? nullptr : new Item(value, arg);
    }
};
int Item::live = 0;

typedef List<Item> Items;

// Checks every invariant of the links and returns the values from the head.
std::vector<int> Values(const Items& list) {
    std::vector<int> forward, backward;
    const Item* previous = nullptr;
    for (Item* item = list.GetHead(); item; item = Items::GetNext(item)) {
        EXPECT_EQ(previous, Items::GetPrev(item));
        forward.push_back(item->value);
        previous = item;
    }
    EXPECT_EQ(previous, list.GetTail());
    for (Item* item = list.GetTail(); item; item = Items::GetPrev(item))
        backward.insert(backward.begin(), item->value);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(list._count, static_cast<int32_t>(forward.size()));
    return forward;
}

std::vector<int> Tags(const Items& list) {
    std::vector<int> tags;
    for (Item* item = list.GetHead(); item; item = Items::GetNext(item))
        tags.push_back(item->tag);
    return tags;
}

void Fill(Items& list, const std::vector<int>& values) {
    for (int value : values)
        list.AddTail(new Item(value));
}

typedef std::vector<int> Ints;

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { Item::live = 0; }
    void TearDown() override { EXPECT_EQ(0, Item::live) << "elements leaked or destroyed twice"; }
};

// ---- Adding

TEST_F(ListTest, AddingAtTheEndsAndBesideAReference) {
    Items list;
    Item* two = list.AddTail(new Item(2));
    list.AddHead(new Item(1));
    list.InsertAfter(new Item(3), two);              // after the tail: becomes the tail
    list.InsertAfter(new Item(0), nullptr);          // null reference: at the head
    list.InsertBefore(new Item(9), nullptr);         // null reference: at the tail
    list.InsertBefore(new Item(-1), list.GetHead()); // before the head: becomes the head
    list.InsertBefore(new Item(5), two);
    EXPECT_EQ((Ints{-1, 0, 1, 5, 2, 3, 9}), Values(list));
}

TEST_F(ListTest, AddSortedKeepsEqualElementsInArrivalOrder) {
    Items list;
    const int values[] = {3, 1, 3, 2, 1, 3, 0};
    for (int i = 0; i < 7; ++i)
        list.AddSorted(new Item(values[i], i));
    EXPECT_EQ((Ints{0, 1, 1, 2, 3, 3, 3}), Values(list));
    EXPECT_EQ((Ints{6, 1, 4, 3, 0, 2, 5}), Tags(list));
}

TEST_F(ListTest, AddSortedUsesTheComparisonArgument) {
    Items list;
    list._compareArg = 1; // descending
    for (int value : {2, 5, 1, 4})
        list.AddSorted(new Item(value));
    EXPECT_EQ((Ints{5, 4, 2, 1}), Values(list));
}

TEST_F(ListTest, AddUniqueKeepsTheExistingElement) {
    for (int owns : {1, 0}) {
        Items list(owns);
        Fill(list, {1, 2});
        Item* existing = list.GetAt(1);
        Item* duplicate = new Item(2);
        EXPECT_EQ(existing, list.AddUnique(duplicate));
        EXPECT_EQ(owns ? 2 : 3, Item::live) << "owns " << owns;
        if (!owns) delete duplicate;
        Item* fresh = new Item(3);
        EXPECT_EQ(fresh, list.AddUnique(fresh));
        EXPECT_EQ((Ints{1, 2, 3}), Values(list));
        list.DeleteAll();
    }
}

// ---- Removing

TEST_F(ListTest, RemoveUnlinksAndDeleteDestroys) {
    Items list(0);
    Fill(list, {1, 2, 3, 4});
    Item* head = list.GetHead();
    Item* tail = list.GetTail();
    list.Remove(nullptr);
    list.Remove(head);
    list.Delete(tail); // destroys even in a non-owning list
    EXPECT_EQ((Ints{2, 3}), Values(list));
    EXPECT_EQ(3, Item::live);
    delete head;

    Item key(3);
    EXPECT_EQ(1, list.DeleteEqual(&key));
    EXPECT_EQ(0, list.DeleteEqual(&key));
    Item two(2);
    Item* removed = list.GetHead();
    EXPECT_EQ(1, list.RemoveEqual(&two));
    EXPECT_EQ(0, list.RemoveEqual(&two));
    EXPECT_EQ(Ints{}, Values(list));
    delete removed;
}

TEST_F(ListTest, FlushForgetsAndDeleteAllDestroys) {
    Items list;
    list.DeleteAll(); // empty: nothing happens
    Fill(list, {1, 2, 3});
    std::vector<Item*> forgotten = {list.GetAt(0), list.GetAt(1), list.GetAt(2)};
    list.Flush();
    EXPECT_EQ(Ints{}, Values(list));
    EXPECT_EQ(3, Item::live);
    for (Item* item : forgotten)
        delete item;

    Fill(list, {4, 5});
    list.DeleteAll();
    EXPECT_EQ(Ints{}, Values(list));
    EXPECT_EQ(0, Item::live);
}

TEST_F(ListTest, DestructorDestroysOnlyOwnedElements) {
    std::vector<Item*> kept;
    {
        Items owning(1), borrowing(0);
        Fill(owning, {1, 2});
        Fill(borrowing, {3, 4});
        kept = {borrowing.GetHead(), borrowing.GetTail()};
    }
    EXPECT_EQ(2, Item::live);
    for (Item* item : kept)
        delete item;
}

TEST_F(ListTest, ReplaceTakesThePlaceOfTheOldElement) {
    for (int position = 0; position < 3; ++position) {
        Items list;
        Fill(list, {1, 2, 3});
        Item* old = list.GetAt(position);
        Item* added = new Item(9);
        EXPECT_EQ(added, list.Replace(old, added));
        Ints expected = {1, 2, 3};
        expected[position] = 9;
        EXPECT_EQ(expected, Values(list));
        EXPECT_EQ(3, Item::live); // the owning list destroyed the old one
    }
    Items owning;
    Fill(owning, {1});
    EXPECT_EQ(owning.GetHead(), owning.Replace(owning.GetHead(), owning.GetHead()));
    EXPECT_EQ(Ints{1}, Values(owning)); // replaced by itself: kept alive

    Items borrowing(0);
    Fill(borrowing, {1});
    Item* old = borrowing.GetHead();
    borrowing.Replace(old, new Item(2));
    EXPECT_EQ(Ints{2}, Values(borrowing));
    EXPECT_EQ(3, Item::live); // a non-owning list lets the old element live
    delete old;
    borrowing.DeleteAll();
}

// ---- Reordering

TEST_F(ListTest, SwapMatchesAnArraySwapForEveryPairOfPositions) {
    const int size = 5;
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            Items list;
            Fill(list, {0, 1, 2, 3, 4});
            list.Swap(list.GetAt(i), list.GetAt(j));
            Ints expected = {0, 1, 2, 3, 4};
            std::swap(expected[i], expected[j]);
            EXPECT_EQ(expected, Values(list)) << "swap " << i << " with " << j;
        }
    }
    Items pair;
    Fill(pair, {1, 2});
    pair.Swap(pair.GetTail(), pair.GetHead());
    EXPECT_EQ((Ints{2, 1}), Values(pair));
}

TEST_F(ListTest, ReverseOfEveryShortLength) {
    for (int size = 0; size <= 4; ++size) {
        Items list;
        Ints values;
        for (int i = 0; i < size; ++i)
            values.push_back(i);
        Fill(list, values);
        list.Reverse();
        std::reverse(values.begin(), values.end());
        EXPECT_EQ(values, Values(list));
    }
}

// ---- Visiting and lookups

TEST_F(ListTest, ForEachMayDeleteTheElementItIsHanded) {
    Items list;
    Fill(list, {1, 2, 3, 4});
    struct Visit {
        Items* list;
        Ints seen;
    } visit = {&list, {}};
    list.ForEach(
        [](Item* item, void* arg) {
            Visit* v = static_cast<Visit*>(arg);
            v->seen.push_back(item->value);
            if (item->value % 2 == 0) v->list->Delete(item);
        },
        &visit);
    EXPECT_EQ((Ints{1, 2, 3, 4}), visit.seen);
    EXPECT_EQ((Ints{1, 3}), Values(list));
}

TEST_F(ListTest, FirstThatAndLastThatSearchFromTheirEnds) {
    Items list;
    Fill(list, {1, 4, 2, 6, 3});
    int even = 2;
    auto divisible = [](Item* item, void* arg) {
        return item->value % *static_cast<int*>(arg) == 0 ? 1 : 0;
    };
    EXPECT_EQ(4, list.FirstThat(divisible, &even)->value);
    EXPECT_EQ(6, list.LastThat(divisible, &even)->value);
    int seven = 7;
    EXPECT_EQ(nullptr, list.FirstThat(divisible, &seven));
    EXPECT_EQ(nullptr, list.LastThat(divisible, &seven));
}

TEST_F(ListTest, LookupsByKeyPositionAndIdentity) {
    Items list;
    Fill(list, {5, 7, 5});
    Item five(5), eight(8);
    EXPECT_EQ(list.GetHead(), list.Find(&five));
    EXPECT_EQ(0, list.IndexOf(&five));
    EXPECT_EQ(nullptr, list.Find(&eight));
    EXPECT_EQ(-1, list.IndexOf(&eight));
    EXPECT_EQ(7, list.GetAt(1)->value);
    EXPECT_EQ(list.GetTail(), list.GetAt(2));
    EXPECT_EQ(nullptr, list.GetAt(3));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    EXPECT_EQ(1, list.Contains(list.GetAt(2)));
    EXPECT_EQ(0, list.Contains(&five)); // equal, but not the same element
}

TEST_F(ListTest, FindDuplicateReturnsTheEarlierOfTheFirstEqualPair) {
    struct Case {
        Ints values;
        int expectedIndex; // -1: none
    } cases[] = {
        {{}, -1}, {{1}, -1}, {{1, 2, 3}, -1}, {{1, 1}, 0}, {{1, 2, 3, 2}, 1}, {{3, 1, 2, 1, 3}, 0},
    };
    for (const Case& c : cases) {
        Items list;
        Fill(list, c.values);
        Item* expected = c.expectedIndex < 0 ? nullptr : list.GetAt(c.expectedIndex);
        EXPECT_EQ(expected, list.FindDuplicate()) << ::testing::PrintToString(c.values);
    }
}

TEST_F(ListTest, IsEqualComparesLengthThenEveryPosition) {
    struct Case {
        Ints first, second;
        int equal;
    } cases[] = {
        {{}, {}, 1},      {{1, 2}, {1, 2}, 1}, {{1, 2}, {2, 1}, 0},
        {{1, 2}, {1}, 0}, {{}, {1}, 0},        {{1, 2, 3}, {1, 2, 4}, 0},
    };
    for (const Case& c : cases) {
        Items first, second;
        Fill(first, c.first);
        Fill(second, c.second);
        EXPECT_EQ(c.equal, first.IsEqual(second))
            << ::testing::PrintToString(c.first) << " vs " << ::testing::PrintToString(c.second);
    }
}

// ---- Copying and merging

TEST_F(ListTest, CopyConstructorClonesInOrderWithTheSameSettings) {
    Items source;
    source._compareArg = 1;
    Fill(source, {3, 1, 2});
    Items copy(source);
    EXPECT_EQ((Ints{3, 1, 2}), Values(copy));
    EXPECT_EQ(1, copy._compareArg);
    EXPECT_NE(0, copy.OwnsElements());
    EXPECT_NE(source.GetHead(), copy.GetHead());
    EXPECT_EQ(6, Item::live);

    Items borrowing(0);
    Items borrowedCopy(borrowing);
    EXPECT_EQ(0, borrowedCopy.OwnsElements());
}

TEST_F(ListTest, AssignEmptiesThenAppendsClones) {
    Items source;
    Fill(source, {1, -5, 2}); // -5 cannot be cloned and is skipped
    Items owning;
    Fill(owning, {8, 9});
    owning.Assign(source, 7);
    EXPECT_EQ((Ints{1, 2}), Values(owning));
    EXPECT_EQ((Ints{7, 7}), Tags(owning));
    EXPECT_EQ(5, Item::live); // 8 and 9 were destroyed

    Items borrowing(0);
    Fill(borrowing, {8});
    Item* forgotten = borrowing.GetHead();
    borrowing.Assign(source, 0);
    EXPECT_EQ((Ints{1, 2}), Values(borrowing));
    delete forgotten;
    borrowing.DeleteAll();

    source.Assign(source, 0); // onto itself: unchanged, nothing destroyed
    EXPECT_EQ((Ints{1, -5, 2}), Values(source));
}

TEST_F(ListTest, AppendingOrSortingClonesOfAListIntoItself) {
    Items list;
    Fill(list, {2, 1});
    list.AppendClones(list, 0);
    EXPECT_EQ((Ints{2, 1, 2, 1}), Values(list));
    list.AddSortedClones(list, 3);
    // Sorted insertion into the unsorted list: each clone goes before the
    // first element above it.
    Items expected;
    Fill(expected, {2, 1, 2, 1});
    for (int value : {2, 1, 2, 1})
        expected.AddSorted(new Item(value));
    EXPECT_EQ(Values(expected), Values(list));
}

TEST_F(ListTest, AddSortedClonesOfAnotherList) {
    Items source, target;
    Fill(source, {4, 2, 3});
    Fill(target, {1, 3});
    target.AddSortedClones(source, 5);
    EXPECT_EQ((Ints{1, 2, 3, 3, 4}), Values(target));
    EXPECT_EQ((Ints{0, 5, 0, 5, 5}), Tags(target)); // the clone of 3 after the older 3
    EXPECT_EQ((Ints{4, 2, 3}), Values(source));
}

TEST_F(ListTest, MergeSortedMovesEveryElementAndEmptiesTheSource) {
    Items target, source;
    for (int value : {1, 3, 5})
        target.AddSorted(new Item(value, 0));
    for (int value : {3, 0, 6, 1})
        source.AddTail(new Item(value, 1));
    target.MergeSorted(source);
    EXPECT_EQ((Ints{0, 1, 1, 3, 3, 5, 6}), Values(target));
    EXPECT_EQ((Ints{1, 0, 1, 0, 1, 0, 1}), Tags(target));
    EXPECT_EQ(Ints{}, Values(source));
    EXPECT_EQ(7, Item::live);

    target.MergeSorted(target); // into itself: unchanged
    EXPECT_EQ(7, target._count);
}

// ---- Elements

TEST_F(ListTest, CopyingAnElementCopiesNoLinks) {
    Items list;
    Fill(list, {1, 2, 3});
    Item* middle = list.GetAt(1);
    Item copy(*middle);
    EXPECT_EQ(0, list.Contains(&copy));
    EXPECT_EQ(nullptr, copy.GetNext());
    *middle = Item(7); // assigning a value keeps the element in its place
    EXPECT_EQ((Ints{1, 7, 3}), Values(list));
}

// ---- The typed layer over elements with other bases first

struct Named {
    std::string name;
    virtual ~Named() = default;
};

struct NamedItem : Named, ListElement {
    explicit NamedItem(const char* text) { name = text; }
    int Compare(const Element* other, int32_t) const override {
        return name.compare(static_cast<const NamedItem*>(other)->name);
    }
    Element* Clone(int32_t) const override { return new NamedItem(name.c_str()); }
};

TEST(TypedList, ConvertsElementsWhoseLinksAreNotAtTheirStart) {
    List<NamedItem> list;
    for (const char* text : {"pear", "apple", "fig"})
        list.AddSorted(new NamedItem(text));
    std::string joined;
    list.ForEach(
        [](NamedItem* item, void* arg) { *static_cast<std::string*>(arg) += item->name + ";"; },
        &joined);
    EXPECT_EQ("apple;fig;pear;", joined);
    EXPECT_EQ("fig", list.GetAt(1)->name);
    EXPECT_EQ("pear", list.GetTail()->name);
    NamedItem key("fig");
    EXPECT_EQ(list.GetAt(1), list.Find(&key));
    List<NamedItem> copy(list);
    EXPECT_EQ(1, copy.IsEqual(list));
    copy.Delete(copy.GetHead()); // destroyed through the virtual destructor
    EXPECT_EQ("fig", copy.GetHead()->name);
}

} // namespace

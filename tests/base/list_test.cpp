// The two doubly linked lists: List<T> over elements that carry their own
// links, and IDoubleList over nodes that hold plain pointers. They promise
// the same behaviour, so one typed set of cases runs on both; what only one
// of them has follows at the end.
#include "base/indirect_list.h"
#include "base/list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<int> Ints;

// Both kinds of item order by value, descending when the list's comparison
// argument is 1; a copy carries the copy argument as tag, and an item with a
// negative value cannot be copied. Each kind counts its live items.

struct Linked : ListElement {
    static int live;
    int value;
    int tag;

    explicit Linked(int v, int t = 0) : value(v), tag(t) { ++live; }
    Linked(const Linked& other) : ListElement(other), value(other.value), tag(other.tag) { ++live; }
    Linked& operator=(const Linked&) = default;
    ~Linked() override { --live; }

    int Compare(const ::Element* other, int32_t compareArg) const override {
        int theirs = static_cast<const Linked*>(other)->value;
        int order = value < theirs ? -1 : value > theirs ? 1 : 0;
        return compareArg == 1 ? -order : order;
    }
    ::Element* Clone(int32_t arg) const override {
        return value < 0 ? nullptr : new Linked(value, arg);
    }
};
int Linked::live = 0;

struct ElementList : List<Linked> {
    typedef Linked Item;
    explicit ElementList(int owns = 1) : List<Linked>(owns) {}
    ElementList(const ElementList& source) : List<Linked>(source) {}

    static Item* New(int value, int tag = 0) { return new Linked(value, tag); }
    static void Free(Item* item) { delete item; }
    static Item Key(int value) { return Item(value); }
    static int& Live() { return Linked::live; }
    Item* At(int index) const { return GetAt(index); }
    Item* NextOf(const Item* item) const { return GetNext(item); }
    Item* PrevOf(const Item* item) const { return GetPrev(item); }
};

struct Plain {
    int value;
    int tag;
};
int livePlain = 0;

void FreePlain(void* item) {
    --livePlain;
    delete static_cast<Plain*>(item);
}

int OrderPlain(const void* first, const void* second, int32_t compareArg) {
    int a = static_cast<const Plain*>(first)->value, b = static_cast<const Plain*>(second)->value;
    int order = a < b ? -1 : a > b ? 1 : 0;
    return compareArg == 1 ? -order : order;
}

void* CopyPlain(const void* item, int32_t arg) {
    int value = static_cast<const Plain*>(item)->value;
    if (value < 0) return nullptr;
    ++livePlain;
    return new Plain{value, arg};
}

struct NodeList : IDoubleList {
    typedef Plain Item;
    explicit NodeList(int owns = 1) : IDoubleList(owns) {
        _deleteItem = FreePlain;
        _compareItems = OrderPlain;
        _copyItem = CopyPlain;
    }
    NodeList(const NodeList& source) : IDoubleList(source) {}

    static Item* New(int value, int tag = 0) {
        ++livePlain;
        return new Plain{value, tag};
    }
    static void Free(Item* item) { FreePlain(item); }
    static Item Key(int value) { return Item{value, 0}; }
    static int& Live() { return livePlain; }
    Item* At(int index) const { return static_cast<Item*>(GetAt(index)); }
    Item* NextOf(const Item* item) const { return static_cast<Item*>(Next(item)); }
    Item* PrevOf(const Item* item) const { return static_cast<Item*>(Prev(item)); }
};

template <class L>
typename L::Item* HeadOf(const L& list) {
    return static_cast<typename L::Item*>(list.GetHead());
}

template <class L>
typename L::Item* TailOf(const L& list) {
    return static_cast<typename L::Item*>(list.GetTail());
}

// Checks every invariant of the links and returns the values from the head.
template <class L>
Ints Values(const L& list) {
    Ints forward, backward;
    const typename L::Item* previous = nullptr;
    for (typename L::Item* item = HeadOf(list); item; item = list.NextOf(item)) {
        EXPECT_EQ(previous, list.PrevOf(item));
        forward.push_back(item->value);
        previous = item;
    }
    EXPECT_EQ(previous, TailOf(list));
    for (typename L::Item* item = TailOf(list); item; item = list.PrevOf(item))
        backward.insert(backward.begin(), item->value);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(list._count, static_cast<int32_t>(forward.size()));
    return forward;
}

template <class L>
Ints Tags(const L& list) {
    Ints tags;
    for (typename L::Item* item = HeadOf(list); item; item = list.NextOf(item))
        tags.push_back(item->tag);
    return tags;
}

template <class L>
void Fill(L& list, const Ints& values) {
    for (int value : values)
        list.AddTail(L::New(value));
}

template <class L>
class Lists : public ::testing::Test {
protected:
    void SetUp() override { L::Live() = 0; }
    void TearDown() override { EXPECT_EQ(0, L::Live()) << "items leaked or destroyed twice"; }
};

typedef ::testing::Types<ElementList, NodeList> ListKinds;
TYPED_TEST_SUITE(Lists, ListKinds);

// ---- Adding

TYPED_TEST(Lists, AddingAtTheEndsAndBesideAReference) {
    typedef TypeParam L;
    L list;
    auto* two = list.AddTail(L::New(2));
    list.AddHead(L::New(1));
    list.InsertAfter(L::New(3), two);            // after the tail: becomes the tail
    list.InsertAfter(L::New(0), nullptr);        // null reference: at the head
    list.InsertBefore(L::New(9), nullptr);       // null reference: at the tail
    list.InsertBefore(L::New(-1), HeadOf(list)); // before the head: becomes the head
    list.InsertBefore(L::New(5), two);
    EXPECT_EQ((Ints{-1, 0, 1, 5, 2, 3, 9}), Values(list));
}

TYPED_TEST(Lists, AddSortedKeepsEqualItemsInArrivalOrderAndUsesTheComparisonArgument) {
    typedef TypeParam L;
    L list;
    const int values[] = {3, 1, 3, 2, 1, 3, 0};
    for (int i = 0; i < 7; ++i)
        list.AddSorted(L::New(values[i], i));
    EXPECT_EQ((Ints{0, 1, 1, 2, 3, 3, 3}), Values(list));
    EXPECT_EQ((Ints{6, 1, 4, 3, 0, 2, 5}), Tags(list));

    L descending;
    descending._compareArg = 1;
    for (int value : {2, 5, 1, 4})
        descending.AddSorted(L::New(value));
    EXPECT_EQ((Ints{5, 4, 2, 1}), Values(descending));
}

TYPED_TEST(Lists, AddUniqueKeepsTheExistingItemAndDestroysTheNewOneOnlyWhenOwning) {
    typedef TypeParam L;
    for (int owns : {1, 0}) {
        L list(owns);
        Fill(list, {1, 2});
        auto* duplicate = L::New(2);
        EXPECT_EQ(list.At(1), list.AddUnique(duplicate));
        EXPECT_EQ(owns ? 2 : 3, L::Live()) << "owns " << owns;
        if (!owns) L::Free(duplicate);
        auto* fresh = L::New(3);
        EXPECT_EQ(fresh, list.AddUnique(fresh));
        EXPECT_EQ((Ints{1, 2, 3}), Values(list));
        list.DeleteAll();
    }
}

// ---- Removing

TYPED_TEST(Lists, RemoveUnlinksAndDeleteDestroys) {
    typedef TypeParam L;
    L list(0);
    Fill(list, {1, 2, 3, 4});
    auto* head = HeadOf(list);
    list.Remove(nullptr);
    list.Remove(head);
    list.Delete(TailOf(list)); // destroys even in a non-owning list
    EXPECT_EQ((Ints{2, 3}), Values(list));
    EXPECT_EQ(3, L::Live());
    L::Free(head);

    auto three = L::Key(3), two = L::Key(2);
    EXPECT_EQ(1, list.DeleteEqual(&three));
    EXPECT_EQ(0, list.DeleteEqual(&three));
    auto* removed = HeadOf(list);
    EXPECT_EQ(1, list.RemoveEqual(&two));
    EXPECT_EQ(0, list.RemoveEqual(&two));
    EXPECT_EQ(Ints{}, Values(list));
    L::Free(removed);
}

TYPED_TEST(Lists, FlushForgetsDeleteAllDestroysAndTheDestructorDestroysOnlyOwnedItems) {
    typedef TypeParam L;
    L list;
    list.DeleteAll(); // empty: nothing happens
    Fill(list, {1, 2, 3});
    std::vector<typename L::Item*> forgotten = {list.At(0), list.At(1), list.At(2)};
    list.Flush();
    EXPECT_EQ(Ints{}, Values(list));
    EXPECT_EQ(3, L::Live());
    for (auto* item : forgotten)
        L::Free(item);

    Fill(list, {4, 5});
    list.DeleteAll();
    EXPECT_EQ(Ints{}, Values(list));
    EXPECT_EQ(0, L::Live());

    std::vector<typename L::Item*> kept;
    {
        L owning(1), borrowing(0);
        Fill(owning, {1, 2});
        Fill(borrowing, {3, 4});
        kept = {HeadOf(borrowing), TailOf(borrowing)};
    }
    EXPECT_EQ(2, L::Live());
    for (auto* item : kept)
        L::Free(item);
}

TYPED_TEST(Lists, ReplaceTakesThePlaceOfTheOldItem) {
    typedef TypeParam L;
    for (int position = 0; position < 3; ++position) {
        L list;
        Fill(list, {1, 2, 3});
        auto* added = L::New(9);
        EXPECT_EQ(added, list.Replace(list.At(position), added));
        Ints expected = {1, 2, 3};
        expected[position] = 9;
        EXPECT_EQ(expected, Values(list));
        EXPECT_EQ(3, L::Live()); // the owning list destroyed the old one
    }
    L owning;
    Fill(owning, {1});
    EXPECT_EQ(HeadOf(owning), owning.Replace(HeadOf(owning), HeadOf(owning)));
    EXPECT_EQ(Ints{1}, Values(owning)); // replaced by itself: kept alive

    L borrowing(0);
    Fill(borrowing, {1});
    auto* old = HeadOf(borrowing);
    borrowing.Replace(old, L::New(2));
    EXPECT_EQ(Ints{2}, Values(borrowing));
    EXPECT_EQ(3, L::Live()); // a non-owning list lets the old item live
    L::Free(old);
    borrowing.DeleteAll();
}

// ---- Reordering

TYPED_TEST(Lists, SwapMatchesAnArraySwapForEveryPairOfPositions) {
    typedef TypeParam L;
    const int size = 5;
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            L list;
            Fill(list, {0, 1, 2, 3, 4});
            list.Swap(list.At(i), list.At(j));
            Ints expected = {0, 1, 2, 3, 4};
            std::swap(expected[i], expected[j]);
            EXPECT_EQ(expected, Values(list)) << "swap " << i << " with " << j;
        }
    }
    L pair;
    Fill(pair, {1, 2});
    pair.Swap(TailOf(pair), HeadOf(pair));
    EXPECT_EQ((Ints{2, 1}), Values(pair));
}

TYPED_TEST(Lists, ReverseOfEveryShortLength) {
    for (int size = 0; size <= 4; ++size) {
        TypeParam list;
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

TYPED_TEST(Lists, ForEachMayDeleteTheItemItIsHanded) {
    typedef TypeParam L;
    struct Visit {
        L* list;
        int deletedParity;
        Ints seen;
    };
    const struct {
        int deletedParity;
        Ints left;
    } cases[] = {{0, {1, 3}}, {1, {2, 4}}}; // the tail, then the head goes first
    for (const auto& c : cases) {
        L list;
        Fill(list, {1, 2, 3, 4});
        Visit visit = {&list, c.deletedParity, {}};
        list.ForEach(
            [](auto* handed, void* arg) {
                Visit* v = static_cast<Visit*>(arg);
                auto* item = static_cast<typename L::Item*>(handed);
                v->seen.push_back(item->value);
                if (item->value % 2 == v->deletedParity) v->list->Delete(item);
            },
            &visit);
        EXPECT_EQ((Ints{1, 2, 3, 4}), visit.seen);
        EXPECT_EQ(c.left, Values(list));
    }
}

TYPED_TEST(Lists, FirstThatAndLastThatSearchFromTheirEnds) {
    typedef TypeParam L;
    L list;
    Fill(list, {1, 4, 2, 6, 3});
    auto divisible = [](auto* item, void* arg) {
        return static_cast<typename L::Item*>(item)->value % *static_cast<int*>(arg) == 0 ? 1 : 0;
    };
    int even = 2, seven = 7;
    EXPECT_EQ(list.At(1), list.FirstThat(divisible, &even));
    EXPECT_EQ(list.At(3), list.LastThat(divisible, &even));
    EXPECT_EQ(nullptr, list.FirstThat(divisible, &seven));
    EXPECT_EQ(nullptr, list.LastThat(divisible, &seven));
}

TYPED_TEST(Lists, LookupsByKeyPositionAndIdentity) {
    typedef TypeParam L;
    for (int compareArg : {0, 1}) { // only the sign of the order changes: equality holds
        L list;
        list._compareArg = compareArg;
        Fill(list, {5, 7, 5, 6});
        auto five = L::Key(5), six = L::Key(6), eight = L::Key(8);
        EXPECT_EQ(HeadOf(list), list.Find(&five));
        EXPECT_EQ(0, list.IndexOf(&five));
        EXPECT_EQ(3, list.IndexOf(&six));
        EXPECT_EQ(nullptr, list.Find(&eight));
        EXPECT_EQ(-1, list.IndexOf(&eight));
        EXPECT_EQ(7, list.At(1)->value);
        EXPECT_EQ(TailOf(list), list.At(3));
        EXPECT_EQ(nullptr, list.At(4));
        EXPECT_EQ(nullptr, list.At(-1));
        EXPECT_EQ(1, list.Contains(list.At(2)));
        EXPECT_EQ(0, list.Contains(&five)); // equal, but not the same item
    }
}

TYPED_TEST(Lists, FindDuplicateReturnsTheEarlierOfTheFirstEqualPair) {
    struct Case {
        Ints values;
        int expectedIndex; // -1: none
    } cases[] = {
        {{}, -1}, {{1}, -1}, {{1, 2, 3}, -1}, {{1, 1}, 0}, {{1, 2, 3, 2}, 1}, {{3, 1, 2, 1, 3}, 0},
    };
    for (const Case& c : cases) {
        TypeParam list;
        Fill(list, c.values);
        auto* expected = c.expectedIndex < 0 ? nullptr : list.At(c.expectedIndex);
        EXPECT_EQ(expected, list.FindDuplicate()) << ::testing::PrintToString(c.values);
    }
}

TYPED_TEST(Lists, IsEqualComparesLengthThenEveryPosition) {
    struct Case {
        Ints first, second;
        int equal;
    } cases[] = {
        {{}, {}, 1},      {{1, 2}, {1, 2}, 1}, {{1, 2}, {2, 1}, 0},
        {{1, 2}, {1}, 0}, {{}, {1}, 0},        {{1, 2, 3}, {1, 2, 4}, 0},
    };
    for (const Case& c : cases) {
        TypeParam first, second;
        Fill(first, c.first);
        Fill(second, c.second);
        EXPECT_EQ(c.equal, first.IsEqual(second))
            << ::testing::PrintToString(c.first) << " vs " << ::testing::PrintToString(c.second);
    }
}

// ---- Copying and merging

TYPED_TEST(Lists, CopyConstructorCopiesInOrderWithTheSameSettings) {
    typedef TypeParam L;
    L source;
    source._compareArg = 1;
    Fill(source, {3, -1, 1, 2}); // -1 cannot be copied and is skipped
    L copy(source);
    EXPECT_EQ((Ints{3, 1, 2}), Values(copy));
    EXPECT_EQ(1, copy._compareArg);
    EXPECT_NE(0, copy.OwnsElements());
    EXPECT_NE(HeadOf(source), HeadOf(copy));
    EXPECT_EQ(7, L::Live());

    L borrowing(0);
    L borrowedCopy(borrowing);
    EXPECT_EQ(0, borrowedCopy.OwnsElements());
}

TYPED_TEST(Lists, AssignEmptiesThenAppendsCopies) {
    typedef TypeParam L;
    L source;
    Fill(source, {1, -5, 2}); // -5 cannot be copied and is skipped
    L owning;
    Fill(owning, {8, 9});
    owning.Assign(source, 7);
    EXPECT_EQ((Ints{1, 2}), Values(owning));
    EXPECT_EQ((Ints{7, 7}), Tags(owning));
    EXPECT_EQ(5, L::Live()); // 8 and 9 were destroyed

    L borrowing(0);
    Fill(borrowing, {8});
    auto* forgotten = HeadOf(borrowing);
    borrowing.Assign(source, 0);
    EXPECT_EQ((Ints{1, 2}), Values(borrowing));
    L::Free(forgotten);
    borrowing.DeleteAll();

    source.Assign(source, 0); // onto itself: unchanged, nothing destroyed
    EXPECT_EQ((Ints{1, -5, 2}), Values(source));
}

TYPED_TEST(Lists, AppendingOrSortingCopiesOfAListIntoItself) {
    typedef TypeParam L;
    L list;
    Fill(list, {2, 1});
    list.AppendClones(list, 0);
    EXPECT_EQ((Ints{2, 1, 2, 1}), Values(list));
    list.AddSortedClones(list, 3);
    // Sorted insertion into the unsorted list: each copy goes before the
    // first item above it.
    L expected;
    Fill(expected, {2, 1, 2, 1});
    for (int value : {2, 1, 2, 1})
        expected.AddSorted(L::New(value));
    EXPECT_EQ(Values(expected), Values(list));
}

TYPED_TEST(Lists, AddSortedClonesOfAnotherList) {
    TypeParam source, target;
    Fill(source, {4, 2, 3});
    Fill(target, {1, 3});
    target.AddSortedClones(source, 5);
    EXPECT_EQ((Ints{1, 2, 3, 3, 4}), Values(target));
    EXPECT_EQ((Ints{0, 5, 0, 5, 5}), Tags(target)); // the copy of 3 after the older 3
    EXPECT_EQ((Ints{4, 2, 3}), Values(source));
}

TYPED_TEST(Lists, MergeSortedMovesEveryItemAndEmptiesTheSource) {
    typedef TypeParam L;
    L target, source;
    for (int value : {1, 3, 5})
        target.AddSorted(L::New(value, 0));
    for (int value : {3, 0, 6, 1})
        source.AddTail(L::New(value, 1));
    target.MergeSorted(source);
    EXPECT_EQ((Ints{0, 1, 1, 3, 3, 5, 6}), Values(target));
    EXPECT_EQ((Ints{1, 0, 1, 0, 1, 0, 1}), Tags(target));
    EXPECT_EQ(Ints{}, Values(source));
    EXPECT_EQ(7, L::Live());

    target.MergeSorted(target); // into itself: unchanged
    EXPECT_EQ(7, target._count);
}

// ---- Only elements that carry their links

TEST(ElementLists, CopyingAnElementCopiesNoLinks) {
    ElementList list;
    Fill(list, {1, 2, 3});
    Linked* middle = list.At(1);
    Linked copy(*middle);
    EXPECT_EQ(0, list.Contains(&copy));
    EXPECT_EQ(nullptr, copy.GetNext());
    *middle = Linked(7); // assigning a value keeps the element in its place
    EXPECT_EQ((Ints{1, 7, 3}), Values(list));
}

struct Named {
    std::string name;
    virtual ~Named() = default;
};

struct NamedElement : Named, ListElement {
    explicit NamedElement(const char* text) { name = text; }
    int Compare(const ::Element* other, int32_t) const override {
        return name.compare(static_cast<const NamedElement*>(other)->name);
    }
    ::Element* Clone(int32_t) const override { return new NamedElement(name.c_str()); }
};

TEST(ElementLists, ConvertsElementsWhoseLinksAreNotAtTheirStart) {
    List<NamedElement> list;
    for (const char* text : {"pear", "apple", "fig"})
        list.AddSorted(new NamedElement(text));
    std::string joined;
    list.ForEach(
        [](NamedElement* item, void* arg) { *static_cast<std::string*>(arg) += item->name + ";"; },
        &joined);
    EXPECT_EQ("apple;fig;pear;", joined);
    EXPECT_EQ("fig", list.GetAt(1)->name);
    EXPECT_EQ("pear", list.GetTail()->name);
    NamedElement key("fig");
    EXPECT_EQ(list.GetAt(1), list.Find(&key));
    List<NamedElement> copy(list);
    EXPECT_EQ(1, copy.IsEqual(list));
    copy.Delete(copy.GetHead()); // destroyed through the virtual destructor
    EXPECT_EQ("fig", copy.GetHead()->name);
}

// ---- Only lists of nodes

TEST(NodeLists, ItemsNotInTheListAreLeftAlone) {
    livePlain = 0;
    NodeList list;
    Fill(list, {1, 2, 3});
    Plain stranger{2, 0};
    EXPECT_EQ(nullptr, list.Next(&stranger));
    EXPECT_EQ(nullptr, list.Prev(&stranger));
    list.Remove(&stranger);
    list.Delete(&stranger);
    list.Swap(&stranger, list.At(0));
    Plain* replacement = NodeList::New(9);
    list.Replace(&stranger, replacement);
    EXPECT_EQ((Ints{1, 2, 3}), Values(list));
    NodeList::Free(replacement);
    EXPECT_EQ(1, list.DeleteEqual(&stranger)); // equal by value
    list.DeleteAll();
    EXPECT_EQ(0, livePlain);
}

TEST(NodeLists, AListWithoutHandlersBehavesLikeDefaultElements) {
    Plain a{1, 0}, b{1, 0};
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

} // namespace

#include "base/indirect_list.h"

#include "base/list_links.h"

// ---- ICollection

ICollection::ICollection(int owns)
    : Collection(owns), _deleteItem(nullptr), _compareItems(nullptr), _copyItem(nullptr) {}

ICollection::ICollection(const ICollection& source)
    : Collection(source), _deleteItem(source._deleteItem), _compareItems(source._compareItems),
      _copyItem(source._copyItem) {}

ICollection::~ICollection() = default;

int ICollection::CompareItems(const void* first, const void* second) const {
    return _compareItems ? _compareItems(first, second, _compareArg) : -1;
}

void ICollection::DeleteItem(void* item) const {
    if (_deleteItem) _deleteItem(item);
}

void* ICollection::CopyItem(const void* item, int32_t arg) const {
    return _copyItem ? _copyItem(item, arg) : nullptr;
}

// ---- IDoubleList: nodes

IDoubleList::IDoubleList(int owns) : ICollection(owns) {}

IDoubleList::IDoubleList(const IDoubleList& source) : ICollection(source) {
    Assign(source, 0);
}

IDoubleList::~IDoubleList() {
    if (OwnsElements())
        DeleteAll();
    else
        Flush();
}

ListNode* IDoubleList::NodeOf(const void* item) const {
    for (ListNode* node = _head; node; node = node->_next)
        if (node->_item == item) return node;
    return nullptr;
}

ListNode* IDoubleList::FindNode(const void* key) const {
    for (ListNode* node = _head; node; node = node->_next)
        if (CompareItems(node->_item, key) == 0) return node;
    return nullptr;
}

ListNode* IDoubleList::NewNode(void* item) {
    ListNode* node = new ListNode;
    node->_item = item;
    ++_count;
    return node;
}

void IDoubleList::FreeNode(ListNode* node) {
    ListLinks::Unlink(_head, _tail, node);
    --_count;
    delete node;
}

void* IDoubleList::GetHead() const {
    return _head ? _head->_item : nullptr;
}

void* IDoubleList::GetTail() const {
    return _tail ? _tail->_item : nullptr;
}

void* IDoubleList::Prev(const void* item) const {
    ListNode* node = NodeOf(item);
    return node && node->_prev ? node->_prev->_item : nullptr;
}

void* IDoubleList::Next(const void* item) const {
    ListNode* node = NodeOf(item);
    return node && node->_next ? node->_next->_item : nullptr;
}

// ---- Adding

void* IDoubleList::AddHead(void* item) {
    ListLinks::LinkAfter(_head, _tail, NewNode(item), static_cast<ListNode*>(nullptr));
    return item;
}

void* IDoubleList::AddTail(void* item) {
    ListLinks::LinkBefore(_head, _tail, NewNode(item), static_cast<ListNode*>(nullptr));
    return item;
}

void* IDoubleList::InsertAfter(void* item, const void* reference) {
    ListNode* after = reference ? NodeOf(reference) : nullptr;
    ListLinks::LinkAfter(_head, _tail, NewNode(item), after);
    return item;
}

void* IDoubleList::InsertBefore(void* item, const void* reference) {
    ListNode* before = reference ? NodeOf(reference) : nullptr;
    ListLinks::LinkBefore(_head, _tail, NewNode(item), before);
    return item;
}

void* IDoubleList::AddSorted(void* item) {
    ListNode* above = _head;
    while (above && CompareItems(item, above->_item) >= 0)
        above = above->_next;
    ListLinks::LinkBefore(_head, _tail, NewNode(item), above); // a null `above` appends
    return item;
}

void* IDoubleList::AddUnique(void* item) {
    ListNode* node = FindNode(item);
    if (!node) return AddTail(item);
    if (OwnsElements()) DeleteItem(item);
    return node->_item;
}

// ---- Removing

void IDoubleList::Remove(const void* item) {
    if (ListNode* node = NodeOf(item)) FreeNode(node);
}

void IDoubleList::Delete(void* item) {
    if (ListNode* node = NodeOf(item)) {
        FreeNode(node);
        DeleteItem(item);
    }
}

int IDoubleList::RemoveEqual(const void* key) {
    ListNode* found = FindNode(key);
    if (!found) return 0;
    FreeNode(found);
    return 1;
}

int IDoubleList::DeleteEqual(const void* key) {
    ListNode* found = FindNode(key);
    if (!found) return 0;
    void* item = found->_item;
    FreeNode(found);
    DeleteItem(item);
    return 1;
}

void IDoubleList::Flush() {
    while (_head)
        FreeNode(_head);
}

void IDoubleList::DeleteAll() {
    while (_count != 0) {
        void* item = _head->_item;
        FreeNode(_head);
        DeleteItem(item);
    }
}

void* IDoubleList::Replace(void* oldItem, void* newItem) {
    ListNode* node = NodeOf(oldItem);
    if (!node || oldItem == newItem) return newItem;
    if (OwnsElements()) DeleteItem(oldItem);
    node->_item = newItem;
    return newItem;
}

// ---- Reordering

void IDoubleList::Swap(const void* first, const void* second) {
    ListNode* firstNode = NodeOf(first);
    ListNode* secondNode = NodeOf(second);
    if (!firstNode || !secondNode) return;
    void* item = firstNode->_item;
    firstNode->_item = secondNode->_item;
    secondNode->_item = item;
}

void IDoubleList::Reverse() {
    ListLinks::Reverse(_head, _tail);
}

// ---- Visiting

void IDoubleList::ForEach(ItemAction action, void* arg) {
    for (ListNode* node = _head; node;) {
        ListNode* next = node->_next; // the action may delete the item and its node
        action(node->_item, arg);
        node = next;
    }
}

void* IDoubleList::FirstThat(ItemTest test, void* arg) const {
    for (ListNode* node = _head; node; node = node->_next)
        if (test(node->_item, arg)) return node->_item;
    return nullptr;
}

void* IDoubleList::LastThat(ItemTest test, void* arg) const {
    for (ListNode* node = _tail; node; node = node->_prev)
        if (test(node->_item, arg)) return node->_item;
    return nullptr;
}

// ---- Lookups

void* IDoubleList::Find(const void* key) const {
    ListNode* found = FindNode(key);
    return found ? found->_item : nullptr;
}

int IDoubleList::IndexOf(const void* key) const {
    int index = 0;
    for (ListNode* node = _head; node; node = node->_next, ++index)
        if (CompareItems(node->_item, key) == 0) return index;
    return -1;
}

void* IDoubleList::GetAt(int32_t index) const {
    if (index < 0 || index >= _count) return nullptr;
    ListNode* node = _head;
    while (index-- > 0)
        node = node->_next;
    return node->_item;
}

int IDoubleList::Contains(const void* item) const {
    return NodeOf(item) ? 1 : 0;
}

void* IDoubleList::FindDuplicate() const {
    for (ListNode* node = _head; node; node = node->_next)
        for (ListNode* later = node->_next; later; later = later->_next)
            if (CompareItems(node->_item, later->_item) == 0) return node->_item;
    return nullptr;
}

int IDoubleList::IsEqual(const IDoubleList& other) const {
    if (_count != other._count) return 0;
    for (ListNode *mine = _head, *theirs = other._head; mine;
         mine = mine->_next, theirs = theirs->_next)
        if (CompareItems(mine->_item, theirs->_item) != 0) return 0;
    return 1;
}

// ---- Copying and merging

void IDoubleList::Assign(const IDoubleList& source, int32_t arg) {
    if (&source == this) return;
    if (OwnsElements())
        DeleteAll();
    else
        Flush();
    AppendClones(source, arg);
}

void IDoubleList::AppendClones(const IDoubleList& source, int32_t arg) {
    // The walk stops at the source's present tail, so appending a list to
    // itself copies each item once.
    ListNode* last = source._tail;
    for (ListNode* node = source._head; node; node = node->_next) {
        if (void* copy = CopyItem(node->_item, arg)) AddTail(copy);
        if (node == last) break;
    }
}

void IDoubleList::AddSortedClones(const IDoubleList& source, int32_t arg) {
    // Copying first keeps the walk off the copies when the source is this list.
    IDoubleList copies(0);
    copies._copyItem = _copyItem;
    copies.AppendClones(source, arg);
    MergeSorted(copies);
}

void IDoubleList::MergeSorted(IDoubleList& source) {
    if (&source == this) return;
    while (source._head) {
        void* item = source._head->_item;
        source.FreeNode(source._head);
        AddSorted(item);
    }
}

#include "base/double_list.h"

#include "base/list_links.h"

DoubleList::DoubleList(int owns) : Collection(owns) {}

DoubleList::DoubleList(const DoubleList& source) : Collection(source) {
    Assign(source, 0);
}

DoubleList::~DoubleList() {
    if (OwnsElements()) DeleteAll();
}

// ---- Adding

ListElement* DoubleList::AddHead(ListElement* element) {
    return InsertAfter(element, nullptr);
}

ListElement* DoubleList::AddTail(ListElement* element) {
    return InsertBefore(element, nullptr);
}

ListElement* DoubleList::InsertAfter(ListElement* element, ListElement* reference) {
    ListLinks::LinkAfter(_head, _tail, element, reference);
    ++_count;
    return element;
}

ListElement* DoubleList::InsertBefore(ListElement* element, ListElement* reference) {
    ListLinks::LinkBefore(_head, _tail, element, reference);
    ++_count;
    return element;
}

ListElement* DoubleList::AddSorted(ListElement* element) {
    ListElement* above = _head;
    while (above && element->Compare(above, _compareArg) >= 0)
        above = above->_next;
    return InsertBefore(element, above); // a null `above` appends
}

ListElement* DoubleList::AddUnique(ListElement* element) {
    ListElement* existing = Find(element);
    if (!existing) return AddTail(element);
    if (OwnsElements()) delete element;
    return existing;
}

// ---- Removing

void DoubleList::Remove(ListElement* element) {
    if (!element) return;
    ListLinks::Unlink(_head, _tail, element);
    --_count;
}

void DoubleList::Delete(ListElement* element) {
    Remove(element);
    delete element;
}

int DoubleList::RemoveEqual(const Element* key) {
    ListElement* found = Find(key);
    if (!found) return 0;
    Remove(found);
    return 1;
}

int DoubleList::DeleteEqual(const Element* key) {
    ListElement* found = Find(key);
    if (!found) return 0;
    Delete(found);
    return 1;
}

void DoubleList::Flush() {
    _head = _tail = nullptr;
    _count = 0;
}

void DoubleList::DeleteAll() {
    while (_count != 0)
        Delete(_head);
}

ListElement* DoubleList::Replace(ListElement* oldElement, ListElement* newElement) {
    if (oldElement == newElement) return newElement;
    ListElement* predecessor = oldElement->_prev;
    Remove(oldElement);
    if (OwnsElements()) delete oldElement;
    return InsertAfter(newElement, predecessor);
}

// ---- Reordering

void DoubleList::Swap(ListElement* first, ListElement* second) {
    if (first == second) return;
    if (second->_next == first) {
        ListElement* earlier = second;
        second = first;
        first = earlier;
    }
    if (first->_next == second) { // neighbours: move the first behind the second
        Remove(first);
        InsertAfter(first, second);
        return;
    }
    // Apart: each predecessor stays where it is while the other element moves.
    ListElement* beforeFirst = first->_prev;
    ListElement* beforeSecond = second->_prev;
    Remove(first);
    InsertAfter(first, beforeSecond);
    Remove(second);
    InsertAfter(second, beforeFirst);
}

void DoubleList::Reverse() {
    ListLinks::Reverse(_head, _tail);
}

// ---- Visiting

void DoubleList::ForEach(ElementAction action, void* arg) {
    for (ListElement* element = _head; element;) {
        ListElement* next = element->_next; // the action may delete `element`
        action(element, arg);
        element = next;
    }
}

ListElement* DoubleList::FirstThat(ElementTest test, void* arg) const {
    for (ListElement* element = _head; element; element = element->_next)
        if (test(element, arg)) return element;
    return nullptr;
}

ListElement* DoubleList::LastThat(ElementTest test, void* arg) const {
    for (ListElement* element = _tail; element; element = element->_prev)
        if (test(element, arg)) return element;
    return nullptr;
}

// ---- Lookups

ListElement* DoubleList::Find(const Element* key) const {
    for (ListElement* element = _head; element; element = element->_next)
        if (element->Compare(key, _compareArg) == 0) return element;
    return nullptr;
}

int DoubleList::IndexOf(const Element* key) const {
    int index = 0;
    for (ListElement* element = _head; element; element = element->_next, ++index)
        if (element->Compare(key, _compareArg) == 0) return index;
    return -1;
}

ListElement* DoubleList::GetAt(int32_t index) const {
    if (index < 0 || index >= _count) return nullptr;
    ListElement* element = _head;
    while (index-- > 0)
        element = element->_next;
    return element;
}

int DoubleList::Contains(const ListElement* element) const {
    for (ListElement* member = _head; member; member = member->_next)
        if (member == element) return 1;
    return 0;
}

ListElement* DoubleList::FindDuplicate() const {
    for (ListElement* element = _head; element; element = element->_next)
        for (ListElement* later = element->_next; later; later = later->_next)
            if (element->Compare(later, _compareArg) == 0) return element;
    return nullptr;
}

int DoubleList::IsEqual(const DoubleList& other) const {
    if (_count != other._count) return 0;
    for (ListElement *mine = _head, *theirs = other._head; mine;
         mine = mine->_next, theirs = theirs->_next)
        if (mine->Compare(theirs, _compareArg) != 0) return 0;
    return 1;
}

// ---- Copying and merging

void DoubleList::Assign(const DoubleList& source, int32_t arg) {
    if (&source == this) return;
    if (OwnsElements())
        DeleteAll();
    else
        Flush();
    AppendClones(source, arg);
}

void DoubleList::AppendClones(const DoubleList& source, int32_t arg) {
    // The walk stops at the source's present tail, so appending a list to
    // itself copies each element once.
    ListElement* last = source._tail;
    for (ListElement* element = source._head; element; element = element->_next) {
        if (Element* clone = element->Clone(arg)) AddTail(static_cast<ListElement*>(clone));
        if (element == last) break;
    }
}

void DoubleList::AddSortedClones(const DoubleList& source, int32_t arg) {
    // Cloning first keeps the walk off the clones when the source is this list.
    DoubleList clones(0);
    clones.AppendClones(source, arg);
    MergeSorted(clones);
}

void DoubleList::MergeSorted(DoubleList& source) {
    if (&source == this) return;
    for (ListElement* element = source._head; element;) {
        ListElement* next = element->_next; // AddSorted relinks `element`
        AddSorted(element);
        element = next;
    }
    source.Flush();
}

// The intrusive doubly linked list. Elements are ListElement objects that
// carry their own links, so adding never allocates and removing a known
// element takes constant time. Delete, DeleteEqual and DeleteAll destroy
// elements (through their virtual destructor) whatever the ownership; when
// the list owns its elements (see Collection), Replace, AddUnique, Assign and
// the destructor destroy the elements they drop as well, and otherwise leave
// them to the caller. No operation reports an error. Callers keep these
// rules: an element is in one list at most and is removed only from the list
// that holds it; lists that are copied or assigned hold elements that
// implement Clone. Use List<T> (base/list.h) for the typed interface.
#pragma once

#include "base/collection.h"
#include "base/list_element.h"

// Callbacks of ForEach, FirstThat and LastThat: plain functions that receive
// each element and the caller's argument. An ElementTest returns nonzero to
// stop at that element.
typedef void (*ElementAction)(ListElement* element, void* arg);
typedef int (*ElementTest)(ListElement* element, void* arg);

class DoubleList : public Collection {
public:
    explicit DoubleList(int owns = 1);
    // An empty list with the source's ownership and `_compareArg`, then filled
    // with clones of the source's elements in order (Assign with argument 0).
    // The clones in a non-owning copy are the caller's to destroy.
    DoubleList(const DoubleList& source);
    DoubleList& operator=(const DoubleList&) = delete; // use Assign
    // An owning list destroys its elements; a non-owning one leaves them alone.
    ~DoubleList() override;

    ListElement* GetHead() const { return _head; }
    ListElement* GetTail() const { return _tail; }

    // ---- Adding: each returns the element it linked in.
    ListElement* AddHead(ListElement* element);
    ListElement* AddTail(ListElement* element);
    // Right after `reference`; a null reference means AddHead.
    ListElement* InsertAfter(ListElement* element, ListElement* reference);
    // Right before `reference`; a null reference means AddTail.
    ListElement* InsertBefore(ListElement* element, ListElement* reference);
    // Before the first element it compares below (its Compare is negative),
    // so equal elements keep the order in which they were added.
    ListElement* AddSorted(ListElement* element);
    // When Find(element) finds an equal element, returns that one and, if the
    // list owns its elements, destroys `element`; otherwise AddTail(element).
    ListElement* AddUnique(ListElement* element);

    // ---- Removing
    // Unlinks the element (null does nothing); never destroys it.
    void Remove(ListElement* element);
    // Remove, then destroy the element, whatever the ownership.
    void Delete(ListElement* element);
    // Find(key) and Remove or Delete what it finds: 1 if found, else 0.
    int RemoveEqual(const Element* key);
    int DeleteEqual(const Element* key);
    // Forgets every element without touching them: the list is empty.
    void Flush();
    // Deletes every element, whatever the ownership.
    void DeleteAll();
    // Puts `newElement` where `oldElement` was; `oldElement` leaves the list
    // and is destroyed when the list owns its elements. Returns `newElement`.
    ListElement* Replace(ListElement* oldElement, ListElement* newElement);

    // ---- Reordering
    // Exchanges the positions of two elements of this list (neighbours in
    // either order included); nothing when they are the same element.
    void Swap(ListElement* first, ListElement* second);
    void Reverse();

    // ---- Visiting, from the head. ForEach reads the next element before each
    // call, so `action` may delete (or remove) the element it is handed, but
    // no other element.
    void ForEach(ElementAction action, void* arg);
    // The first element from the head (LastThat: from the tail) for which
    // `test` returns nonzero; null if none.
    ListElement* FirstThat(ElementTest test, void* arg) const;
    ListElement* LastThat(ElementTest test, void* arg) const;

    // ---- Lookups. An element matches a key when its Compare with the key
    // and `_compareArg` returns 0 (the element is the object of the call).
    ListElement* Find(const Element* key) const; // first match or null
    int IndexOf(const Element* key) const;       // zero-based, or -1
    // The element at a zero-based position (walks from the head); null when
    // the index is outside 0 .. _count - 1.
    ListElement* GetAt(int32_t index) const;
    // 1 if this very element is in the list, else 0.
    int Contains(const ListElement* element) const;
    // The first element that compares equal to a later one; null if none.
    ListElement* FindDuplicate() const;
    // 1 if both lists have the same count and each element compares equal
    // (with this list's `_compareArg`) to the one at the same position.
    int IsEqual(const DoubleList& other) const;

    // ---- Copying and merging. Clones are made with the source element's
    // Clone(arg); a null clone (an element that cannot be copied) is skipped.
    // Empties this list (DeleteAll when owning, else Flush), then
    // AppendClones. Assigning a list to itself changes nothing.
    void Assign(const DoubleList& source, int32_t arg);
    void AppendClones(const DoubleList& source, int32_t arg);    // AddTail each clone
    void AddSortedClones(const DoubleList& source, int32_t arg); // AddSorted each clone
    // Moves every element of `source`, in its order, into this list with
    // AddSorted and leaves `source` empty. Merging a list into itself does
    // nothing.
    void MergeSorted(DoubleList& source);

protected:
    ListElement* _head = nullptr; // first element, null exactly when empty
    ListElement* _tail = nullptr; // last element, null exactly when empty
};

// The indirect list family: IDoubleList keeps arbitrary item pointers in
// ListNode records that it allocates with `new` when an item is added and
// frees when the item leaves, and handles the items through three function
// pointers of ICollection. It offers the operations of DoubleList on items
// instead of elements. The nodes always belong to the list; the items belong
// to it when it owns its elements (see Collection), and are then destroyed
// through `_deleteItem`. No operation reports an error. The reference item of
// InsertAfter and InsertBefore and the item of Remove, Delete, Prev and Next
// are expected to be in the list; one that is not is treated as described at
// each operation rather than followed into foreign memory.
// Foundation interface without a caller in the library: kept for programs
// built on the foundation, and tested in tests/base.
#pragma once

#include "base/collection.h"

// Destroys an item.
typedef void (*ItemDeleter)(void* item);
// Orders two items with the list's `_compareArg`: negative, zero or positive.
typedef int (*ItemComparer)(const void* first, const void* second, int32_t compareArg);
// A new copy of an item, or null when it cannot be copied.
typedef void* (*ItemCopier)(const void* item, int32_t arg);
// Callbacks of ForEach, FirstThat and LastThat: each item and the caller's
// argument; an ItemTest returns nonzero to stop at that item.
typedef void (*ItemAction)(void* item, void* arg);
typedef int (*ItemTest)(void* item, void* arg);

// One link of an IDoubleList; owned by the list.
struct ListNode {
    ListNode* _next; // next node, null for the last
    ListNode* _prev; // previous node, null for the first
    void* _item;     // the stored pointer
};

// The item handlers. Each starts null; a list without them behaves like the
// defaults of Element: without `_compareItems` no two items compare equal
// (every comparison is -1), without `_copyItem` nothing can be copied, and
// without `_deleteItem` destroying an item does nothing.
class ICollection : public Collection {
public:
    explicit ICollection(int owns);
    // Copies the ownership bit, `_compareArg` and the three handlers.
    ICollection(const ICollection& source);
    ~ICollection() override;

    ItemDeleter _deleteItem;    // destroys an item
    ItemComparer _compareItems; // compares two items
    ItemCopier _copyItem;       // copies an item

protected:
    int CompareItems(const void* first, const void* second) const;
    void DeleteItem(void* item) const;
    void* CopyItem(const void* item, int32_t arg) const;
};

class IDoubleList : public ICollection {
public:
    explicit IDoubleList(int owns = 1);
    // Same ownership, `_compareArg` and handlers as the source, filled with
    // copies of its items made by `_copyItem` with argument 0 (Assign). The
    // copies in a non-owning list are the caller's to destroy.
    IDoubleList(const IDoubleList& source);
    IDoubleList& operator=(const IDoubleList&) = delete; // use Assign
    // Frees every node; an owning list also destroys every item.
    ~IDoubleList() override;

    // The first and last items; null when the list is empty.
    void* GetHead() const;
    void* GetTail() const;
    // The item before or after `item`; null at the ends and when `item` is
    // not in the list.
    void* Prev(const void* item) const;
    void* Next(const void* item) const;

    // ---- Adding: each allocates a node and returns the item.
    void* AddHead(void* item);
    void* AddTail(void* item);
    // Right after (before) the node holding `reference`, found by identity. A
    // null reference, or one that is not in the list, means AddHead (AddTail).
    void* InsertAfter(void* item, const void* reference);
    void* InsertBefore(void* item, const void* reference);
    // Before the first item for which _compareItems(item, existing) is
    // negative; equal items keep the order in which they were added.
    void* AddSorted(void* item);
    // When Find(item) finds an equal item, returns it and, if the list owns
    // its items, destroys `item`; otherwise AddTail(item).
    void* AddUnique(void* item);

    // ---- Removing
    // Frees the node holding `item` (found by identity); nothing when `item`
    // is not in the list. Never destroys the item.
    void Remove(const void* item);
    // Remove, then destroy the item whatever the ownership; an item that is
    // not in the list is left alone.
    void Delete(void* item);
    // Find(key) and Remove or Delete what it finds: 1 if found, else 0.
    int RemoveEqual(const void* key);
    int DeleteEqual(const void* key);
    // Frees all nodes; the items are not touched.
    void Flush();
    // Deletes every item, whatever the ownership.
    void DeleteAll();
    // Stores `newItem` in the node of `oldItem`; `oldItem` is destroyed when
    // the list owns its items and the two differ. Returns `newItem`; an
    // `oldItem` that is not in the list changes nothing.
    void* Replace(void* oldItem, void* newItem);

    // ---- Reordering
    // Exchanges the positions of two items of the list; nothing when they
    // are the same item or either is not in the list.
    void Swap(const void* first, const void* second);
    void Reverse();

    // ---- Visiting, from the head. ForEach reads the next node before each
    // call, so `action` may delete (or remove) the item it is handed, but no
    // other item.
    void ForEach(ItemAction action, void* arg);
    void* FirstThat(ItemTest test, void* arg) const;
    void* LastThat(ItemTest test, void* arg) const;

    // ---- Lookups. A stored item matches a key when
    // _compareItems(stored, key, _compareArg) returns 0.
    void* Find(const void* key) const;  // first match or null
    int IndexOf(const void* key) const; // zero-based, or -1
    // The item at a zero-based position; null outside 0 .. _count - 1.
    void* GetAt(int32_t index) const;
    // 1 if this very item (by identity) is in the list, else 0.
    int Contains(const void* item) const;
    // The first item that compares equal to a later one; null if none.
    void* FindDuplicate() const;
    // 1 if both lists have the same count and each item compares equal (with
    // this list's handler and `_compareArg`) to the one at the same position.
    int IsEqual(const IDoubleList& other) const;

    // ---- Copying and merging. Copies are made with this list's
    // `_copyItem`(source item, arg); a null copy is skipped.
    // Empties this list (DeleteAll when owning, else Flush), then
    // AppendClones. Assigning a list to itself changes nothing.
    void Assign(const IDoubleList& source, int32_t arg);
    void AppendClones(const IDoubleList& source, int32_t arg);
    void AddSortedClones(const IDoubleList& source, int32_t arg);
    // Moves every item of `source`, in its order, into this list with
    // AddSorted, freeing the source's nodes, and leaves `source` empty.
    // Merging a list into itself does nothing.
    void MergeSorted(IDoubleList& source);

protected:
    ListNode* _head = nullptr; // first node, null exactly when empty
    ListNode* _tail = nullptr; // last node, null exactly when empty

private:
    ListNode* NodeOf(const void* item) const;  // by identity, or null
    ListNode* FindNode(const void* key) const; // first that compares equal, or null
    void FreeNode(ListNode* node);             // unlinks and frees it
    ListNode* NewNode(void* item);
};

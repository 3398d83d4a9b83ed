// Elements of the intrusive lists: an element carries its own links, so a list
// never allocates to hold it. Element gives the two virtual operations every
// list relies on (comparison and cloning) in front of the virtual destructor;
// a list that owns its elements destroys them with `delete` through that
// destructor, so every element must be allocated with `new`.
#pragma once

#include <cstdint>

class Element {
public:
    Element() = default;
    Element(const Element&) = default;
    Element& operator=(const Element&) = default;

    // Orders this element against another: negative, zero or positive. The
    // list passes its comparison argument (`Collection::_compareArg`). The
    // default never finds two elements equal and returns -1.
    virtual int Compare(const Element* other, int32_t compareArg) const;

    // A new copy of this element, allocated with `new`, or null when the
    // element cannot be copied (the default). `arg` is passed through from
    // `DoubleList::Assign`, `AppendClones` and `AddSortedClones`.
    virtual Element* Clone(int32_t arg) const;

    virtual ~Element();
};

// An element with the links of a doubly linked list. The links are its
// membership: an element is in at most one list at a time, and only the list
// changes them. Copying an element copies none of its links, so a copy starts
// outside every list and assigning to a listed element keeps it in place.
class ListElement : public Element {
public:
    ListElement() = default;
    ListElement(const ListElement& other) : Element(other) {}
    ListElement& operator=(const ListElement& other) {
        Element::operator=(other);
        return *this;
    }

    // The neighbours in the list that holds the element; null at the ends.
    // Not meaningful for an element that is in no list (a list does not clear
    // the links of an element it lets go).
    ListElement* GetNext() const { return _next; }
    ListElement* GetPrev() const { return _prev; }

protected:
    ListElement* _next = nullptr; // next element of the list, null for the last
    ListElement* _prev = nullptr; // previous element, null for the first

    friend class DoubleList;
    friend struct ListLinks;
};

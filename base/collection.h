// What both list families share: the ownership flag, the argument handed to
// every comparison, and the element count.
#pragma once

#include <cstdint>

class Collection {
public:
    enum { ownsElements = 0x01 }; // bit of `_flags`

    // An empty collection; it owns its elements when `owns` is nonzero.
    explicit Collection(int owns);
    // Takes the ownership bit and `_compareArg` of the source; `_count` starts
    // at 0 (the derived list copies the elements).
    Collection(const Collection& source);
    Collection& operator=(const Collection&) = delete;
    virtual ~Collection();

    // Nonzero when removing with Delete, emptying and destroying the list
    // destroy its elements.
    int OwnsElements() const { return _flags & ownsElements; }

    uint8_t _flags;      // bit 0 (ownsElements): the collection owns its elements
    int32_t _compareArg; // handed to every comparison; callers may set it, 0 at first
    int32_t _count;      // number of elements; read freely, changed only by the list
};

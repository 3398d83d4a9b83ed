#pragma once
// Hides where a pointer came from, so that the compiler does not warn when a
// test reads the header of a block from malloc or new, or a freed block.

template <typename T>
T* Opaque(T* pointer) {
    asm("" : "+r"(pointer));
    return pointer;
}

// Reading file bytes that may vanish while they are read (a mapped view whose
// file was cut short or whose medium went away). The body runs under the
// platform's fault guard over [begin, begin + size): a fault there abandons
// the body, which must therefore only read the bytes and write plain data that
// the caller owns (no allocation, no object that needs destroying).
#pragma once

#include <cstdint>

// Runs body(context); 1 when it completed, 0 when reading the bytes faulted.
int ReadGuarded(const void* begin, uint32_t size, void (*body)(void* context), void* context);

template <class Body>
int ReadGuarded(const void* begin, uint32_t size, Body& body) {
    return ReadGuarded(
        begin, size, [](void* context) { (*static_cast<Body*>(context))(); }, &body);
}

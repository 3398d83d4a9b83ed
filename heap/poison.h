#pragma once
// Under AddressSanitizer (native builds) the bytes of a free small block that
// the manager does not use itself, everything after its header and free-list
// links, are poisoned: a use after free inside the manager's own pages is
// then reported like one in the system's heap. Without the sanitizer these
// do nothing. ASan poisons whole 8-byte granules only: a region may be
// poisoned a little short, or unpoisoned a little beyond, never the reverse.

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define NH_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NH_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(NH_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>

inline void NH_Poison(const void* address, size_t size) {
    ASAN_POISON_MEMORY_REGION(address, size);
}
inline void NH_Unpoison(const void* address, size_t size) {
    ASAN_UNPOISON_MEMORY_REGION(address, size);
}
#else
inline void NH_Poison(const void*, size_t) {}
inline void NH_Unpoison(const void*, size_t) {}
#endif

#pragma once
// Reading a slot of NH_OsTlsAlloc on the allocation paths: on 32-bit Windows
// straight from the thread environment block's own 64 slots (no call, and
// the thread's last error untouched), otherwise through NH_OsTlsGet. Slot 0
// (none could be had) reads as null.

#include <cstdint>

#include "heap/os_memory.h"

inline void* NH_ReadTlsSlot(uintptr_t slot) {
#if defined(_WIN32) && defined(__i386__)
    const uintptr_t index = slot - 1;
    if (index < 64) {
        void* value;
        __asm__("movl %%fs:0xE10(,%1,4), %0" : "=r"(value) : "r"(index));
        return value;
    }
#endif
    return slot ? NH_OsTlsGet(slot) : nullptr;
}

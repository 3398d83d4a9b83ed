// Test support: how much of the process's memory is in use, to prove that
// loading and unloading the library leaves nothing behind. Windows only
// (process_memory_win32.cpp).
#pragma once

#include <cstdint>

// Bytes of the address space that are reserved or committed.
uint64_t AddressSpaceInUse();
// Bytes in use in the process heap, where the system keeps the bookkeeping
// of critical sections among other things.
uint64_t ProcessHeapInUse();

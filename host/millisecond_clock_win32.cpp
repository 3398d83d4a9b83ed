#include "host/millisecond_clock.h"

#include <windows.h>

// From KERNEL32's performance counter: its resolution is far finer than a
// millisecond, where GetTickCount moves in steps of 10 to 16 ms, too coarse
// for a 10 ms dispatch interval; and KERNEL32 is always the system's own,
// unlike a timer library that a planted copy beside the host could replace.
// The frequency is asked every time: a function-local static's guard takes
// the runtime's one-time initialisation, which the walk's threads contend for
// with the allocator (heap/heap_lock_win32.cpp).
uint32_t MillisecondClock() {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    const int64_t frequency = value.QuadPart;
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    // Seconds and the rest apart, so that the product cannot overflow.
    const int64_t seconds = count.QuadPart / frequency;
    const int64_t rest = count.QuadPart % frequency;
    return static_cast<uint32_t>(seconds * 1000 + rest * 1000 / frequency);
}

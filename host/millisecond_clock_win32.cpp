#include "host/millisecond_clock.h"

#include <windows.h>

// From KERNEL32's performance counter: its resolution is far finer than a
// millisecond, where GetTickCount moves in steps of 10 to 16 ms, too coarse
// for a 10 ms dispatch interval; and KERNEL32 is always the system's own,
// unlike a timer library that a planted copy beside the host could replace.
uint32_t MillisecondClock() {
    static const int64_t frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    // Seconds and the rest apart, so that the product cannot overflow.
    const int64_t seconds = count.QuadPart / frequency;
    const int64_t rest = count.QuadPart % frequency;
    return static_cast<uint32_t>(seconds * 1000 + rest * 1000 / frequency);
}

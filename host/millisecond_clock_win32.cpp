#include "host/millisecond_clock.h"

#include <windows.h>

#include <mmsystem.h>

uint32_t MillisecondClock() {
    return timeGetTime();
}

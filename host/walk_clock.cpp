#include "host/millisecond_clock.h"

uint32_t (*walkClock)() = MillisecondClock;

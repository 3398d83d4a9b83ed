// The platform's millisecond timer, which wraps at 2^32 milliseconds.
#pragma once

#include <cstdint>

uint32_t MillisecondClock();

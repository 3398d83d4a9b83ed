// The platform's millisecond timer, which wraps at 2^32 milliseconds, and the
// clock that a run's rate limits read (the processed-files count, the
// progress's other lines and the dispatch of messages).
#pragma once

#include <cstdint>

uint32_t MillisecondClock();

// MillisecondClock unless a test puts its own clock here.
extern uint32_t (*walkClock)();

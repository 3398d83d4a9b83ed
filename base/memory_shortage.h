// memoryShortage: set when an allocation found no memory while a search run
// held memory back for its end (host/memory_headroom.h), whichever thread
// made it. Process-wide, as the new-handler that sets it is: the search of a
// file reads it to make no more records, and the run's walk to stop.
#pragma once

#include <atomic>

inline std::atomic<int> memoryShortage{0};

#include "search/run_counters.h"

RunCounterSet RunCounters;

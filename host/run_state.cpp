#include "host/run_state.h"

#include "search/run_counters.h"

RunStateRecord RunState;
RunResults runResults;
HitReader hitReader(hitList);

void ClearRunResults() {
    RunCounters = RunCounterSet();
    runResults = RunResults();
    ReleaseHits();
}

void ReleaseHits() {
    hitReader.Forget();
    hitList.DeleteAll();
}

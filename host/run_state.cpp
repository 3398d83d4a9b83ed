#include "host/run_state.h"

#include "search/search_params.h"

RunStateRecord RunState;
uint32_t filesNotRead;
HitReader hitReader(hitList);

void ClearRunResults() {
    RunCounters = RunCounterSet();
    filesNotRead = 0;
    ReleaseHits();
}

void ReleaseHits() {
    hitReader.Forget();
    hitList.DeleteAll();
}

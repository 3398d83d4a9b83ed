#include "host/run_state.h"

#include "search/search_params.h"

RunStateRecord RunState;
uint32_t filesNotRead;
uint32_t foldersNotListed;
HitReader hitReader(hitList);

void ClearRunResults() {
    RunCounters = RunCounterSet();
    filesNotRead = 0;
    foldersNotListed = 0;
    ReleaseHits();
}

void ReleaseHits() {
    hitReader.Forget();
    hitList.DeleteAll();
}

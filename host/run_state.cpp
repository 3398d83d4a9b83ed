#include "host/run_state.h"

#include "search/run_counters.h"

RunStateRecord RunState;
RunResults runResults;
HitReader hitReader(runResults.hitList);

void ClearRunResults() {
    runResults.counters = RunCounterSet();
    runResults.hitListFull = runResults.stoppedEarly = 0;
    runResults.filesNotRead = runResults.filesLeftOut = runResults.foldersNotListed = 0;
    ReleaseHits();
}

void ReleaseHits() {
    hitReader.Forget();
    runResults.hitList.DeleteAll();
}

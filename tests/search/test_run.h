// A run's query, results and workspace for tests of the per-file search.
#pragma once

#include "search/search_file.h"

struct TestRun {
    RunQuery query;
    RunResults results;
    SearchWorkspace workspace;
    // Set: the search prepares its hit lines there, into `lines`.
    RecordDrain* drain = nullptr;
    PreparedRecords lines;

    FileSearch Search(SearchPulse* pulse = nullptr) {
        return FileSearch{query, results, workspace, pulse, nullptr, nullptr, drain, &lines};
    }
};

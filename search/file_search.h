// FileSearch: what the search of one file reads and writes, handed to it
// whole: the run's query, the run's results, a workspace for the file's
// match offsets and the run's pulse. Nothing of a run lives in a global, so
// that several files can be searched at once, each with its own workspace.
#pragma once

#include <cstdint>
#include <memory>

#include "search/line_pass.h"
#include "search/run_query.h"
#include "search/run_results.h"

class MappingBudget;
class SearchPulse;

// Match offsets found and turned into records at a time: every match of a
// file counts, a batch after the other, in bounded memory.
enum { matchBatch = 10000 };

// The offsets of a batch of one file's accepted matches and its hit lines,
// alive from one file to the next but dead after each (about 280 KB, on the
// heap).
class SearchWorkspace {
public:
    SearchWorkspace()
        : matchPositions(new uint64_t[matchBatch]), windowPositions(new uint32_t[matchBatch]),
          hitLines(new HitLine[matchBatch]) {}

    std::unique_ptr<uint64_t[]> matchPositions;  // in the file, increasing
    std::unique_ptr<uint32_t[]> windowPositions; // found in one window
    std::unique_ptr<HitLine[]> hitLines;         // the batch's hit lines

    // Room for `size` bytes of a file read whole (search/search_file.h); it
    // grows in steps of 64 KiB and keeps its largest size.
    unsigned char* FileBytes(uint32_t size) {
        if (size > _fileBytesSize) {
            const uint32_t grown = (size + 0xFFFFu) & ~0xFFFFu;
            _fileBytes.reset(); // the old block goes before the new one is had
            _fileBytesSize = 0;
            _fileBytes.reset(new unsigned char[grown]);
            _fileBytesSize = grown;
        }
        return _fileBytes.get();
    }

private:
    std::unique_ptr<unsigned char[]> _fileBytes;
    uint32_t _fileBytesSize = 0;
};

struct FileSearch {
    const RunQuery& query; // its text stripped of blanks and not empty
    RunResults& results;   // records appended, counters added to
    SearchWorkspace& workspace;
    SearchPulse* pulse; // may be null; see SearchFileWindows
    // Shared by the files searched at once; null when one file is searched
    // at a time (search/mapping_budget.h).
    MappingBudget* mapping = nullptr;
};

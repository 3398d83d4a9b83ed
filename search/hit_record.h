// The hit records of a run. One GrepInfo per line with a match (or per file
// in file-names-only mode), in the order found; the run's hitList
// (search/run_results.h) owns them from the moment they are appended until it
// is emptied (next run, command 8) or destroyed.
#pragma once

#include <cstdint>

#include "base/list.h"
#include "base/shared_text.h"
#include "base/string.h"

class GrepInfo : public ListElement {
public:
    GrepInfo(const SharedText& fileName, const String& lineText, int32_t lineNumber)
        : _fileName(fileName), _lineText(lineText), _lineNumber(lineNumber) {}
    ~GrepInfo() override;

    SharedText _fileName; // full path as the scanner composed it; one copy per file
    String _lineText; // the line from its text start, at most 160 bytes; empty for file names only
    int32_t _lineNumber; // 1-based; 1 for file names only
};

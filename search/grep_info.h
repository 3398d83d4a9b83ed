// The hit records of a run. One GrepInfo per line with a match (or per file
// in file-names-only mode), in the order found; hitList owns them from the
// moment they are appended until it is emptied (next run, command 8) or the
// library is unloaded.
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

extern List<GrepInfo> hitList; // owning; the records of the last run

// Set when memory for a further record ran out: the records made until then
// are in hitList, and the run is to stop as Stop does. Cleared at the start
// of every walk.
extern int hitListFull;

// The texts of the progress window, each for its control. Numbers are written
// as signed decimals, as the platform's formatting does.
#pragma once

#include <cstdint>

#include "base/string.h"

// Control 513: "Processed files: %d".
String ProcessedFilesText(uint32_t filesProcessed);

// IDC_PROGRESS_HITS, the hits line: "%d Hit" for 0 or 1 hits, "%d Hits in %d file"
// while fewer than 2 files have hits, else "%d Hits in %d files". In
// statistics mode the line stays empty.
String HitsText(uint32_t hitCount, uint32_t filesWithHits);

// IDC_PROGRESS_LAST_HIT: "Last hit(s) found in: %s", whatever the length of the path.
String LastHitText(const String& fileName);

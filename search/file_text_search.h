// The search of one file's bytes, as SearchFile runs it once the file is
// mapped: statistics counting or the text search with its line pass, reading
// the run's query and appending hit records to the run's results (both handed
// in by a FileSearch, search/file_search.h). The bytes come a window at a time
// (search/file_windows.h): one window for a file mapped whole, sliding windows for one that could
// not be. Every read of the bytes happens under a fault guard, so a file that shrinks or vanishes
// while it is read costs only that file.
//
// Through sliding windows the results are those of the file read whole, with
// one exception: a pattern match is only found exactly when it is at most
// `patternReach` bytes long. Each window's pattern matches are kept only when
// they start at least that far before the window's end; the next window
// starts in front of that point. A longer match that crosses the point may be
// missed or found shorter.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "search/file_search.h"
#include "search/file_windows.h"

// How far a pattern match may reach and still be found exactly in a file
// read through sliding windows.
constexpr uint32_t patternReach = 1u << 20;

// `path` is the file's full name as the records carry it. Returns the number
// of hit records added (at most 1 in file-names-only mode), 0 in a statistics
// run, or -1 when the bytes could not be read or memory ran out; on -1
// nothing was added to the results' hitList or counters. Raises nothing. The
// source's windows must reach (WindowSource::Reach) more than `reach` + 1
// bytes and more than the search text's length + 2. The search's pulse (may
// be null) is called at least every 64 KiB of work; when it asks to stop, the
// search ends as if the file ended where it had come to: the matches found
// before become records (statistics count the bytes gone through).
int SearchFileWindows(const String& path, WindowSource& source, const FileSearch& search,
                      uint32_t reach = patternReach);

// The same over a whole file in memory, as one window.
int SearchFileBytes(const String& path, const unsigned char* data, uint32_t size,
                    const FileSearch& search);

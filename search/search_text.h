// The search of one file's text, as SearchFile runs it once the file is
// mapped or read and its encoding known: statistics counting or the text
// search with its line pass, reading the run's query and appending hit
// records to the run's results (both handed in by a FileSearch,
// search/search_file.h). The text comes a window at a time
// (search/file_windows.h) through a TextWalk (search/text_walk.h): one
// window for a file read or mapped whole, sliding windows for one that could
// not be, windows of the converted text for one in another encoding. Every
// match counts: the offsets are found and turned into records a batch at a
// time.
//
// Through sliding windows the results are those of the file read whole, with
// one exception: a pattern match is only found exactly when it is at most
// `reach` bytes long: `patternReach` through a mapping's sliding view, a
// quarter of the buffer for a file read through one (search/read_windows.h). Each window's pattern
// matches are kept only when they start at least that far before the window's end; the next window
// starts in front of that point. A longer match that crosses the point may be
// missed or found shorter.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "search/file_windows.h"
#include "search/search_file.h"
#include "search/text_walk.h"

// How far a pattern match may reach and still be found exactly in a file
// read through sliding windows.
constexpr uint32_t patternReach = 1u << 20;

// `path` is the file's full name as the records carry it. Returns the number
// of hit records added (at most 1 in file-names-only mode), 0 in a statistics
// run. The source's windows must reach (WindowSource::Reach) more than
// `reach` + 1 bytes and more than the search text's length + 2. The file's
// pulse is called at least every 64 KiB of work; when it asks to stop, the
// search ends as if the file ended where it had come to: the matches found
// before become records (statistics count the bytes gone through). Raises
// TextFault when the bytes could not be read, bad_alloc when no copy for the
// pattern search can be made, and whatever the source raises; nothing was
// added to the results' hitList or counters then.
int SearchText(const String& path, WindowSource& source, const FileSearch& search, uint32_t reach,
               FilePulse& pulse);

// The same with the run's pulse (search.pulse, may be null); returns -1
// where SearchText raises. Raises nothing.
int SearchFileWindows(const String& path, WindowSource& source, const FileSearch& search,
                      uint32_t reach = patternReach);

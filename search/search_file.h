// SearchFile: the search of one file of a run. Maps the whole file read-only
// (others may read it meanwhile) and hands its bytes to SearchFileText, which
// reads them in their encoding (search/decoded_search.h). The path is a walk
// path (fs/walk_path.h); the records name the file in the host's form. A
// file that cannot be mapped whole, for want of room in the address space or
// because it is 4 GiB or more, is searched through a view that slides over it
// (SearchFileWindows); the results are the same, see file_text_search.h.
#pragma once

#include <cstdint>

#include "search/file_search.h"

class FileName;

// Bytes of the sliding view.
constexpr uint32_t searchWindowSize = 32u << 20;

// Returns the number of hit records added for the file (at most 1 in
// file-names-only mode), 0 in a statistics run, or -1 when the file could not
// be opened, mapped or read (locked, no access, vanished, cut short while
// mapped) or memory ran out. On -1 nothing was added, every handle and view
// is released, and no message is shown. Raises nothing. The search's query,
// results and pulse: see SearchFileWindows (search/file_text_search.h).
int SearchFile(FileName& path, const FileSearch& search);

// The same with a sliding view of `windowSize` bytes (a multiple of 64 KiB,
// at least 128 KiB), and the pattern reach of the sliding search; tests take
// small ones.
int SearchFile(FileName& path, const FileSearch& search, uint32_t windowSize, uint32_t reach);

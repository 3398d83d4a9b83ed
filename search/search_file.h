// SearchFile: the search of one file of a run. Opens the file for reading
// (others may read it meanwhile), reads a small file whole into the
// workspace or maps a larger one read-only, and hands its bytes to
// SearchFileText, which reads them in their encoding
// (search/decoded_search.h). The path is a walk path (fs/walk_path.h); the
// records name the file in the host's form. A file that cannot be mapped
// whole, for want of room in the address space or because it is 4 GiB or
// more, is searched through a view that slides over it; the results are the
// same, see file_text_search.h. The mapping and the buffer that converting
// the file's text may need count against the run's MappingBudget.
#pragma once

#include <cstdint>

#include "search/file_search.h"

class FileName;

// Bytes of the sliding view, and of the windows of converted text.
constexpr uint32_t searchWindowSize = 32u << 20;
// Files of at most this many bytes are read rather than mapped: a mapping
// costs the system a mapping object, a view and their release besides the
// open, several round trips to Wine's server per file, where a read costs
// a copy; most source files are far smaller.
constexpr uint32_t searchReadLimit = 1u << 20;

// Returns the number of hit records added for the file (at most 1 in
// file-names-only mode), 0 in a statistics run, or -1 when the file could not
// be opened, mapped or read (locked, no access, vanished, cut short while
// mapped) or memory ran out. On -1 nothing was added, every handle and view
// is released, and no message is shown. Raises nothing. The search's query,
// results and pulse: see SearchFileWindows (search/file_text_search.h).
int SearchFile(FileName& path, const FileSearch& search);

// The same with a sliding view and windows of converted text of
// `windowSize` bytes (a multiple of 64 KiB, at least 128 KiB), the pattern reach of the sliding
// search, and files of at most `readLimit` bytes read; tests take small ones.
int SearchFile(FileName& path, const FileSearch& search, uint32_t windowSize, uint32_t reach,
               uint32_t readLimit);

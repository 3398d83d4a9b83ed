// The search of one file's bytes, as SearchFile runs it once the file is
// mapped: statistics counting or the text search with its line pass, reading
// the search parameters (search/search_params.h) and appending hit records to
// hitList. Every read of the bytes happens under a fault guard, so a file
// that shrinks or vanishes while it is read costs only that file.
#pragma once

#include <cstdint>

#include "base/string.h"

// `path` is the file's full name as the records carry it. Returns the number
// of hit records added (at most 1 in file-names-only mode), 0 in a statistics
// run, or -1 when the bytes could not be read or memory ran out; on -1
// nothing was added to hitList or the counters. Raises nothing.
int SearchFileBytes(const String& path, const unsigned char* data, uint32_t size);

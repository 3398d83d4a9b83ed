// RunResults: what one search run produces besides its hit records and
// counters: the files and folders it could not read. The library keeps one
// instance, which the entry points read (host/run_state.h); trovfind keeps
// its own. Reset at the start of every walk.
#pragma once

#include <cstdint>

struct RunResults {
    // Files that could not be opened, mapped or read (locked by another
    // program, no access, vanished, too large, cut short while read). They are
    // skipped and the scan goes on.
    uint32_t filesNotRead = 0;
    // Of filesNotRead, the files that never reached the per-file search (and so
    // are not among the files processed): their path or name was too long.
    uint32_t filesLeftOut = 0;
    // Directories whose listing failed at its start or broke off part-way (or
    // that closed a link loop, or whose path was too long): their remaining
    // entries were skipped; how many files went unread is not known.
    uint32_t foldersNotListed = 0;
};

// The walk of a search run: every entry of the run's file set (the run form
// of the directory list in SearchSettings) is scanned with a
// TrovikFileScanner, which searches or counts each matching file. The caller
// prepares the run (RunCounters reset, hitList emptied) and shows the results.
#pragma once

#include <cstdint>

#include "base/string.h"

class WalkProgress;

// Walks the file set. Sets statMode from the Stat setting and the other
// search parameters from the settings; `textToFind` is stripped of spaces and
// then tabs at both ends, and when nothing but blanks is left the walk ends
// before the first search. An entry that does not exist is skipped; a directory is
// scanned with every mask (recursively when the SubDir setting is on), a file
// is searched whatever the masks say. The walk ends after an entry when the
// progress asks to stop; a progress that cannot open, or a failure the
// per-file search does not catch, is reported to the progress and ends the
// walk as a cancel.
// The entries are in the host's form (fs/walk_path.h); below them the walk
// lists and opens files by their real names, at any path length, and enters
// no link to a folder unless walkFollowsLinks says so.
// Returns 1 when the walk was cancelled (or failed), 2 when it was stopped
// and 0 otherwise.
int WalkFileSet(const String& textToFind, WalkProgress& progress);

// Nonzero makes the walk enter links to folders, each real folder once
// (FileScanner::FollowLinks). 0 in the library; trovfind's -L sets it.
extern int walkFollowsLinks;

// Of the last walk's filesNotRead, the files that never reached the per-file
// search (and so are not among the files processed): their path or name was
// too long. Reset by every walk.
extern uint32_t filesLeftOut;

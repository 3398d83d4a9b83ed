// SearchFile: the search of one file of a run. Maps the whole file read-only
// (others may read it meanwhile) and hands its bytes to SearchFileBytes.
#pragma once

class FileName;

// Returns the number of hit records added for the file (at most 1 in
// file-names-only mode), 0 in a statistics run, or -1 when the file could not
// be opened, mapped or read (locked, no access, vanished, too large, cut
// short while mapped) or memory ran out. On -1 nothing was added, every
// handle and view is released, and no message is shown. Raises nothing.
int SearchFile(FileName& path);

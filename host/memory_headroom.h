// MemoryHeadroom: memory held back while a walk runs, so that running out of
// memory ends the walk cleanly instead of ending the host. Without it the
// bad_alloc that an exhausted allocation throws finds no memory for itself,
// which ends the process. An allocation that finds no memory, on any thread,
// calls the new-handler that this installs for the whole run: it gives the
// headroom back to the system and the allocation is tried again (so is, once,
// one that failed on another thread just before), and the run's
// MemoryShortage (base/memory_shortage.h) tells the per-file searches to make
// no more records and the walk to stop as Stop does. The records found so far stay,
// and what the walk does to end (the progress window, the message box, the
// host reading the records) has memory to work with.
#pragma once

#include "base/memory_shortage.h"

class MemoryHeadroom {
public:
    // Takes the headroom and installs the new-handler when the system still
    // has the headroom (else neither: a shortage then costs the file it
    // happens in). One at a time: the new-handler, which signals this run's
    // shortage, is process-wide.
    MemoryHeadroom();
    // Gives back the headroom, if still held, and the previous new-handler.
    ~MemoryHeadroom();
    MemoryHeadroom(const MemoryHeadroom&) = delete;
    MemoryHeadroom& operator=(const MemoryHeadroom&) = delete;

    // Set when memory ran out, on any thread, since the headroom was taken.
    const MemoryShortage& Shortage() const { return _shortage; }
    // The shortage of the run whose handler is installed, or null.
    static const MemoryShortage* RunShortage();

private:
    MemoryShortage _shortage;
    bool _installed; // the headroom was taken and the handler installed
};

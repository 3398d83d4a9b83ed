#include "host/memory_headroom.h"

#include <atomic>
#include <cstdint>
#include <new>

#include "base/thread_sync.h"
#include "heap/heap.h"

namespace {

// Enough for the end of a walk: a few allocations of paths and texts, and
// the system's own for the message box. A region of its own, so that giving
// it back makes its address space free for any kind of block.
constexpr uint32_t headroomSize = 1u << 20;

// Threads of a run (the workers, the host's) that already tried
// an allocation again after the headroom went back; more than a run has.
constexpr unsigned retrySlots = 64;

std::atomic<void*> headroom;      // the region while it is held
MemoryShortage* runShortage;      // the signal of the run whose handler is installed
std::new_handler previousHandler; // the handler before the walk's
std::atomic<uint32_t> retried[retrySlots];

// True the first time the calling thread asks since the headroom went back.
// An allocation that failed on another thread a moment before the headroom
// was freed deserves one more try; a second failure is a real shortage.
bool FirstRetry() {
    const uint32_t self = CurrentThreadNumber();
    for (std::atomic<uint32_t>& slot : retried) {
        uint32_t held = 0;
        if (slot.compare_exchange_strong(held, self)) return true;
        if (held == self) return false;
    }
    return false;
}

// Stays installed for the whole run, so that every thread that runs short
// finds it, the last one to fail as well as the first.
void OnOutOfMemory() {
    runShortage->Signal();
    if (void* held = headroom.exchange(nullptr)) {
        FreeVirtual(held);
        return;
    }
    if (FirstRetry()) return;
    if (previousHandler) return previousHandler();
    throw std::bad_alloc();
}

} // namespace

MemoryHeadroom::MemoryHeadroom() {
    for (std::atomic<uint32_t>& slot : retried)
        slot.store(0);
    void* held = AllocVirtual(headroomSize, headroomSize, 0);
    // Without headroom there is nothing to end the run with: no handler, and
    // a shortage costs only the file it happens in, as a file not read.
    _installed = held != nullptr;
    if (!_installed) return;
    headroom.store(held);
    runShortage = &_shortage;
    previousHandler = std::set_new_handler(OnOutOfMemory);
}

MemoryHeadroom::~MemoryHeadroom() {
    if (!_installed) return;
    std::set_new_handler(previousHandler);
    runShortage = nullptr;
    if (void* held = headroom.exchange(nullptr)) FreeVirtual(held);
}

const MemoryShortage* MemoryHeadroom::RunShortage() {
    return runShortage;
}

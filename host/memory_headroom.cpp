#include "host/memory_headroom.h"

#include <atomic>
#include <cstdint>
#include <new>

#include "base/memory_shortage.h"
#include "heap/heap.h"

namespace {

// Enough for the end of a walk: a few allocations of paths and texts, and
// the system's own for the message box. A region of its own, so that giving
// it back makes its address space free for any kind of block.
constexpr uint32_t headroomSize = 1u << 20;

std::atomic<void*> headroom;      // the region while it is held
std::new_handler previousHandler; // the handler before the walk's

void OnOutOfMemory() {
    memoryShortage.store(1);
    // Of several threads that run out at once, one gives the headroom back;
    // each of them then tries its allocation again.
    if (void* held = headroom.exchange(nullptr)) {
        std::set_new_handler(previousHandler); // a second shortage is the runtime's again
        FreeVirtual(held);
        return;
    }
    if (previousHandler) return previousHandler();
    throw std::bad_alloc();
}

} // namespace

MemoryHeadroom::MemoryHeadroom() {
    memoryShortage.store(0);
    headroom.store(AllocVirtual(headroomSize, headroomSize, 0));
    previousHandler = std::set_new_handler(OnOutOfMemory);
}

MemoryHeadroom::~MemoryHeadroom() {
    std::set_new_handler(previousHandler);
    if (void* held = headroom.exchange(nullptr)) FreeVirtual(held);
}

int MemoryHeadroom::RanOut() {
    return memoryShortage.load();
}

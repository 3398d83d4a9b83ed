#include "host/memory_headroom.h"

#include <cstdint>
#include <new>

#include "heap/heap.h"

namespace {

// Enough for the end of a walk: a few allocations of paths and texts, and
// the system's own for the message box. A region of its own, so that giving
// it back makes its address space free for any kind of block.
constexpr uint32_t headroomSize = 1u << 20;

void* headroom;                   // the region while it is held
std::new_handler previousHandler; // the handler before the walk's
int* fullFlag;                    // the walk's hitListFull

void OnOutOfMemory() {
    *fullFlag = 1;
    std::set_new_handler(previousHandler); // a second shortage is the runtime's again
    if (headroom) {
        FreeVirtual(headroom);
        headroom = nullptr;
        return; // the allocation is tried again
    }
    if (previousHandler) return previousHandler();
    throw std::bad_alloc();
}

} // namespace

MemoryHeadroom::MemoryHeadroom(int& hitListFull) {
    fullFlag = &hitListFull;
    headroom = AllocVirtual(headroomSize, headroomSize, 0);
    previousHandler = std::set_new_handler(OnOutOfMemory);
}

MemoryHeadroom::~MemoryHeadroom() {
    std::set_new_handler(previousHandler);
    if (headroom) FreeVirtual(headroom);
    headroom = nullptr;
}

// Visiting every block in use of a heap: the small-block page sets from the
// newest to the oldest, each from its start upward, then the alternative
// blocks, newest first. No lock is taken: no other thread may change the
// heap meanwhile, and the visited function must not allocate or free small
// blocks of this heap (it may free the alternative block it is given).

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/process_state.h"

namespace {

// Calls visit(user pointer) for every block in use until it returns true;
// returns that block, or null.
template <typename Visit>
void* WalkBlocks(const NH_Heap& heap, Visit visit) {
    for (NH_PageSet* pageSet = heap._pageSets; pageSet; pageSet = pageSet->_next) {
        char* top = CarveTop(pageSet);
        for (char* at = FirstSmallBlock(pageSet); at < top;) {
            NH_SmallBlock* block = reinterpret_cast<NH_SmallBlock*>(at);
            at += NH_sizeClasses.sizes[block->_classIndex];
            if (block->_status != kSmallFree && visit(UserOf(block))) return UserOf(block);
        }
    }
    for (NH_AltBlock* header = heap._altBlocks; header;) {
        NH_AltBlock* next = header->_next;
        if (visit(UserOf(header))) return UserOf(header);
        header = next;
    }
    return nullptr;
}

} // namespace

void NH_Heap::ForEach(void (*function)(void* block, void* argument), void* argument) {
    WalkBlocks(*this, [&](void* block) {
        function(block, argument);
        return false;
    });
}

void* NH_Heap::FindFirstThat(int (*function)(void* block, void* argument), void* argument) {
    return WalkBlocks(*this, [&](void* block) { return function(block, argument) != 0; });
}

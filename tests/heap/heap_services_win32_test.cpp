// The default heap behind the replaced global allocation (Windows, where the
// programs run on this memory manager): malloc follows the thread's switch,
// free finds the owner, and the thread's last error survives.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_services.h"
#include "tests/heap/heap_checker.h"
#include "tests/heap/opaque_pointer.h"

namespace {

TEST(DefaultHeap, GlobalAllocationFollowsTheSwitchAndFreeFindsTheOwner) {
    NH_Heap heap(0, "switched");
    NH_SmallBlock* block;
    {
        NH_HeapSwitcher switcher(&heap);
        block = Opaque(SmallBlockOf(malloc(40)));
        EXPECT_EQ(&heap, PageSetOf(block)->_heap);
    }
    free(UserOf(block)); // freed from another default heap
    EXPECT_EQ(kSmallFree, block->_status);
    EXPECT_TRUE(CheckHeap(heap));
}

TEST(DefaultHeap, GetDefaultKeepsTheThreadsLastError) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    NH_Heap::GetDefault();
    void* block = malloc(10);
    free(block);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

} // namespace

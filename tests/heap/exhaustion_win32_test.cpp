// A heap driven until the 32-bit address space is full. Large regions are
// reserved first, so that the heap reaches the end quickly; the heap must
// then return null cleanly after the emergency reserve, its callback, the
// heap's own callback and the new-handler had their turn in that order, and
// work again once memory is freed. While the address space is full nothing
// is asserted: a failing assertion needs memory to report itself.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <new>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_one_size.h"
#include "heap/heap_services.h"
#include "tests/heap/heap_checker.h"

namespace {

// Reservations that fill the address space, largest first.
class AddressSpaceFiller {
public:
    void Fill() {
        for (uint32_t size = 1u << 30; size >= 65536; size /= 2) {
            while (_count < kMaxRegions) {
                void* region = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
                if (!region) break;
                _regions[_count++] = region;
            }
        }
    }
    // Gives back the most recent (smallest) reservation; false when none is left.
    bool ReleaseOne() {
        if (_count == 0) return false;
        VirtualFree(_regions[--_count], 0, MEM_RELEASE);
        return true;
    }
    void ReleaseAll() {
        while (ReleaseOne()) {
        }
    }
    uint32_t Count() const { return _count; }

private:
    static const uint32_t kMaxRegions = 40000;
    void* _regions[kMaxRegions];
    uint32_t _count = 0;
};

AddressSpaceFiller filler;

// Events in the order they happened; a fixed buffer: nothing may allocate.
char events[64];
size_t eventCount;
void Record(char event) {
    if (eventCount + 1 < sizeof events) events[eventCount++] = event;
}
void EmergencyCallback() {
    Record('E');
}
int HeapCallback() {
    Record('H');
    return 0;
}
void NewHandler() {
    Record('N');
    filler.ReleaseOne(); // makes room, as a new-handler must
}

// Allocates blocks of size bytes until null; returns how many succeeded.
uint32_t AllocateUntilNull(NH_Heap& heap, uint32_t size) {
    uint32_t count = 0;
    while (count < 1000000 && heap.AllocMem(size))
        ++count;
    return count;
}

TEST(Exhaustion, NullAfterReserveCallbackAndNewHandlerThenRecovery) {
    NH_Heap heap(NH_THREAD_SAFE, "exhausted");
    NH_HeapOneSize oneSize(256, NH_THREAD_SAFE, "exhausted one size");
    ASSERT_EQ(1, NH_AHeap::SetEmergencyReserve(16384, EmergencyCallback));

    filler.Fill();
    const uint32_t filled = filler.Count();

    // 1. The first page set cannot be had: the reserve becomes it.
    void* first = heap.AllocMem(1000);
    const size_t eventsAfterFirst = eventCount;
    NH_PageSet* emergency = heap._pageSets;
    const uint32_t emergencyCommitted =
        first ? static_cast<uint32_t>(emergency->_committedEnd - reinterpret_cast<char*>(emergency))
              : 0;
    // 2. Its 64 KB are committed as needed; then the heap's callback gives up.
    heap._fpOutOfMemory = HeapCallback;
    const uint32_t filledReserve = AllocateUntilNull(heap, 1000);
    // 3. Without the heap's callback the new-handler makes room.
    heap._fpOutOfMemory = nullptr;
    std::set_new_handler(NewHandler);
    void* afterHandler = heap.AllocMem(1000);
    std::set_new_handler(nullptr); // it has no more than the filler's regions to give
    const uint32_t afterHandlerCount = AllocateUntilNull(heap, 1000);
    // 4. Nothing left to try: null, for every kind of request.
    const size_t eventsBeforeNulls = eventCount;
    NH_Heap noHandler(NH_NO_NEW_HANDLER, "no handler");
    void* big = heap.AllocMem(2000000);
    void* noHandlerBlock = noHandler.AllocMem(100000);
    void* virtualBlock = heap.AllocWithReserve(100000, 10, 0);
    void* plainVirtual = AllocVirtual(100000, 10, 0);
    const uint32_t oneSizeCount = [&] {
        uint32_t count = 0;
        while (count < 1000000 && oneSize.AllocMem(256))
            ++count;
        return count;
    }();
    void* bigMalloc = malloc(3000000);
    bool threw = false;
    try {
        void* volatile unused = ::operator new(3000000);
        (void)unused;
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    const int reserveWhileFull = NH_AHeap::SetEmergencyReserve(4096, EmergencyCallback);
    const size_t eventsAfterNulls = eventCount;

    filler.ReleaseAll();

    ASSERT_GT(filled, 0u);
    EXPECT_NE(nullptr, first);
    EXPECT_EQ(1u, eventsAfterFirst);
    EXPECT_EQ(16384u, emergencyCommitted);
    EXPECT_GT(filledReserve, 50u); // 65508 bytes make 65 blocks of 1004
    EXPECT_NE(nullptr, afterHandler);
    EXPECT_GT(afterHandlerCount, 0u);
    EXPECT_EQ(std::string("EHN"), std::string(events, events + 3));
    EXPECT_EQ(eventsBeforeNulls, eventsAfterNulls); // nothing else was called
    EXPECT_EQ(nullptr, big);
    EXPECT_EQ(nullptr, noHandlerBlock);
    EXPECT_EQ(nullptr, virtualBlock);
    EXPECT_EQ(nullptr, plainVirtual);
    EXPECT_LT(oneSizeCount, 1000000u);
    EXPECT_EQ(nullptr, bigMalloc);
    EXPECT_TRUE(threw);
    EXPECT_EQ(0, reserveWhileFull);
    EXPECT_EQ(EmergencyCallback, NH_AHeap::_fpEmergencyCallback); // stored all the same
    EXPECT_TRUE(CheckHeap(heap));
    {
        // The checker allocates: not from the heap it walks.
        NH_Heap checkerHeap(0, "checker");
        NH_HeapSwitcher switcher(&checkerHeap);
        EXPECT_TRUE(CheckHeap(DefaultHeap));
    }

    // Memory is back: everything works again.
    EXPECT_NE(nullptr, heap.AllocMem(1000));
    EXPECT_NE(nullptr, heap.AllocMem(2000000));
    EXPECT_NE(nullptr, oneSize.AllocMem(256));
    void* recovered = malloc(3000000);
    EXPECT_NE(nullptr, recovered);
    free(recovered);
    EXPECT_EQ(1, NH_AHeap::SetEmergencyReserve(4096, nullptr));
    EXPECT_TRUE(CheckHeap(heap));
}

} // namespace

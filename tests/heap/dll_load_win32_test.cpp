// trovik.dll as a host sees it: it imports system DLLs only, exports the
// memory manager's interface, and can be loaded and unloaded again and again
// without leaving address space behind.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "tests/heap/process_memory.h"

namespace {

// The library's own memory manager, reached through its exports. Members are
// thiscall on this platform.
using GetDefaultFunction = void* (*)();
using AllocMemFunction = void*(__attribute__((thiscall)) *)(void* heap, uint32_t size);
using FreeMemFunction = void(__attribute__((thiscall)) *)(void* heap, void* block);
using IsDynamicMemoryFunction = int (*)(const void* address);
using SetEmergencyReserveFunction = int (*)(uint32_t size, void (*callback)());

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Loads the library, allocates from its default heap (small, big and the
// emergency reserve), and unloads it.
void LoadUseUnload() {
    HMODULE module = LoadLibraryA("trovik.dll");
    ASSERT_NE(nullptr, module);
    auto getDefault = Export<GetDefaultFunction>(module, "_ZN7NH_Heap10GetDefaultEv");
    auto allocMem = Export<AllocMemFunction>(module, "_ZN7NH_Heap8AllocMemEj");
    auto setReserve =
        Export<SetEmergencyReserveFunction>(module, "_ZN8NH_AHeap19SetEmergencyReserveEjPFvvE");
    ASSERT_TRUE(getDefault && allocMem && setReserve);
    void* heap = getDefault();
    for (uint32_t size : {10u, 1000u, 5000u, 3000000u})
        ASSERT_NE(nullptr, allocMem(heap, size)); // left for the unload to give back
    ASSERT_EQ(1, setReserve(16384, nullptr));
    ASSERT_TRUE(FreeLibrary(module));
}

TEST(TrovikDll, ExportsTheMemoryManagersInterface) {
    HMODULE module = LoadLibraryA("trovik.dll");
    ASSERT_NE(nullptr, module);
    const char* names[] = {
        "DefaultHeap",
        "HeapForHeaps",
        "_ZN7NH_HeapC1EiPKc",
        "_ZN7NH_HeapD1Ev",
        "_ZN7NH_Heap8AllocMemEj",
        "_ZN7NH_Heap7FreeMemEPv",
        "_ZN7NH_Heap7ReAllocEPvji",
        "_ZN7NH_Heap10GetDefaultEv",
        "_ZN7NH_Heap10SetDefaultEPS_",
        "_ZN7NH_Heap16AllocWithReserveEjji",
        "_ZN7NH_Heap12GetBlockSizeEPKv",
        "_ZN7NH_Heap6InsertEPvjPKvj",
        "_ZN7NH_Heap7ForEachEPFvPvS0_ES0_",
        "_ZN7NH_Heap13FindFirstThatEPFiPvS0_ES0_",
        "_ZN8NH_AHeap19SetEmergencyReserveEjPFvvE",
        "_ZN8NH_AHeap17HandleOutOfMemoryEv",
        "_ZN8NH_AHeap20_fpEmergencyCallbackE",
        "_ZN8NH_AHeap17_globalBypassFreeE",
        "_ZN14NH_HeapOneSizeC1EjiPKc",
        "_ZN14NH_HeapOneSize8AllocMemEj",
        "_ZN14NH_HeapOneSize7FreeMemEPv",
        "_ZN15NH_HeapSwitcherC1EP7NH_Heap",
        "_ZN15NH_HeapSwitcherD1Ev",
        "_ZN11InitNewHeapC1Ei",
        "_ZN13EnsureNewHeapC1Ev",
        "_Z12AllocVirtualjji",
        "_Z13ResizeVirtualPvji",
        "_Z11FreeVirtualPv",
        "_Z13IsStackMemoryPKv",
        "_Z15IsDynamicMemoryPKv",
        "_Z18IsMemoryFilledWithPKvjh",
        "_Z13BypassFreeingP8NH_AHeap",
    };
    for (const char* name : names)
        EXPECT_NE(nullptr, GetProcAddress(module, name)) << name;

    // Its blocks are its own manager's, not this program's.
    auto getDefault = Export<GetDefaultFunction>(module, "_ZN7NH_Heap10GetDefaultEv");
    auto allocMem = Export<AllocMemFunction>(module, "_ZN7NH_Heap8AllocMemEj");
    auto freeMem = Export<FreeMemFunction>(module, "_ZN7NH_Heap7FreeMemEPv");
    auto isDynamic = Export<IsDynamicMemoryFunction>(module, "_Z15IsDynamicMemoryPKv");
    void* heap = getDefault();
    EXPECT_EQ(GetProcAddress(module, "DefaultHeap"), reinterpret_cast<FARPROC>(heap));
    void* block = allocMem(heap, 100);
    ASSERT_NE(nullptr, block);
    EXPECT_NE(0, isDynamic(block));
    freeMem(heap, block);
    FreeLibrary(module);
}

TEST(TrovikDll, LoadingAndUnloadingAHundredTimesLeaksNothing) {
    for (int i = 0; i < 3; ++i) // the loader's own first-time allocations
        LoadUseUnload();
    uint64_t before = AddressSpaceInUse();
    // A critical section left behind costs a few dozen bytes of the process
    // heap per load; the system itself grows that heap now and then.
    int loadsThatGrewTheProcessHeap = 0;
    for (int i = 0; i < 100; ++i) {
        uint64_t heapBefore = ProcessHeapInUse();
        LoadUseUnload();
        if (ProcessHeapInUse() > heapBefore) ++loadsThatGrewTheProcessHeap;
    }
    uint64_t after = AddressSpaceInUse();
    // A leak of the library's regions would be 64 KB or more per load.
    EXPECT_LT(after, before + 1024 * 1024) << "before " << before << ", after " << after;
    EXPECT_LT(loadsThatGrewTheProcessHeap, 10);
}

} // namespace

// The replaced global allocation: malloc and friends, every operator new and
// delete, the default heap behind them (the thread's switch, the owner found
// by free, the thread's last error kept), and the border with the C runtime
// DLL, whose own blocks must go back to it while this manager's never reach it.

#include <gtest/gtest.h>

#include <malloc.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "heap/heap_services.h"
#include "tests/heap/heap_checker.h"
#include "tests/heap/opaque_pointer.h"

namespace {

bool IsSmallBlockOf(const NH_Heap* heap, const void* block) {
    return !IsAltBlock(block) && PageSetOf(block)->_heap == heap;
}

// ---- malloc, calloc, realloc, free ----

TEST(GlobalAllocation, MallocOfZeroIsNullWhileNewGivesATwelveByteBlock) {
    EXPECT_EQ(nullptr, malloc(0));
    char* block = Opaque(new char[0]);
    ASSERT_NE(nullptr, block);
    EXPECT_TRUE(IsSmallBlockOf(&DefaultHeap, block));
    EXPECT_EQ(12u, NH_sizeClasses.sizes[SmallBlockOf(block)->_classIndex]);
    delete[] block;
    void* one = ::operator new(0);
    EXPECT_NE(nullptr, one);
    ::operator delete(one);
}

TEST(GlobalAllocation, BlocksComeFromTheDefaultHeap) {
    for (size_t size : {1u, 1020u, 1021u, 100000u}) {
        void* block = Opaque(malloc(size));
        ASSERT_NE(nullptr, block);
        EXPECT_NE(0, IsDynamicMemory(block));
        EXPECT_EQ(size, NH_Heap::GetBlockSize(block));
        if (IsAltBlock(block))
            EXPECT_EQ(&DefaultHeap, AltHeaderOf(block)->_heap);
        else
            EXPECT_TRUE(IsSmallBlockOf(&DefaultHeap, block));
        free(block);
    }
    free(nullptr);
}

TEST(GlobalAllocation, ReallocAllocatesResizesAndFrees) {
    EXPECT_EQ(nullptr, realloc(nullptr, 0));
    char* block = static_cast<char*>(realloc(nullptr, 10));
    ASSERT_NE(nullptr, block);
    std::memcpy(block, "0123456789", 10);
    block = static_cast<char*>(realloc(block, 5000)); // small to big keeps the bytes
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, std::memcmp(block, "0123456789", 10));
    EXPECT_EQ(5000u, NH_Heap::GetBlockSize(block));

    NH_SmallBlock* small = Opaque(SmallBlockOf(malloc(30)));
    EXPECT_EQ(nullptr, realloc(UserOf(small), 0)); // frees and returns null
    EXPECT_EQ(kSmallFree, small->_status);
    EXPECT_EQ(nullptr, realloc(block, 0));
}

TEST(GlobalAllocation, CallocClearsAndRefusesOverflow) {
    char* dirty = static_cast<char*>(malloc(400));
    std::memset(dirty, 0xEE, 400);
    free(dirty);
    char* block = static_cast<char*>(calloc(100, 4));
    ASSERT_NE(nullptr, block);
    EXPECT_TRUE(IsMemoryFilledWith(block, 400, 0));
    free(block);
    EXPECT_EQ(nullptr, calloc(0x10000, 0x10001));
    void* empty = calloc(0, 8);
    free(empty);
}

TEST(GlobalAllocation, FollowsTheThreadsSwitchAndFreeFindsTheOwner) {
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

TEST(GlobalAllocation, KeepsTheThreadsLastError) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    NH_Heap::GetDefault();
    free(malloc(10));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

// ---- operator new and delete ----

struct alignas(64) Aligned {
    char bytes[100];
};

TEST(GlobalAllocation, EveryFormOfNewAndDelete) {
    int* single = Opaque(new int(7));
    EXPECT_TRUE(IsSmallBlockOf(&DefaultHeap, single));
    delete single;
    int* array = new (std::nothrow) int[300];
    ASSERT_NE(nullptr, array);
    delete[] array;

    for (int i = 0; i < 20; ++i) {
        Aligned* aligned = new Aligned;
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(aligned) % 64);
        std::memset(aligned, 1, sizeof *aligned);
        Aligned* alignedArray = new (std::nothrow) Aligned[3];
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(alignedArray) % 64);
        std::memset(alignedArray, 2, 3 * sizeof *alignedArray);
        delete[] alignedArray;
        delete aligned;
    }
    NH_SmallBlock* sized = Opaque(SmallBlockOf(::operator new(48)));
    ::operator delete(UserOf(sized), 48);
    EXPECT_EQ(kSmallFree, sized->_status);
}

TEST(GlobalAllocation, NewThrowsWhenMemoryCannotBeHad) {
    volatile size_t huge = 0xFFFFFFF0u; // volatile: no compile-time size warning
    EXPECT_THROW(static_cast<void>(::operator new(huge)), std::bad_alloc);
    EXPECT_THROW(static_cast<void>(::operator new[](huge)), std::bad_alloc);
    EXPECT_EQ(nullptr, ::operator new(huge, std::nothrow));
    EXPECT_EQ(nullptr, malloc(huge));
}

TEST(GlobalAllocation, TheStaticRuntimeRunsOnIt) {
    std::string text(5000, 'x');
    EXPECT_NE(0, IsDynamicMemory(text.data()));
    try {
        throw std::runtime_error(text);
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(text, error.what());
    }
    std::vector<std::unique_ptr<std::string>> made;
    std::thread worker([&] {
        for (int i = 0; i < 1000; ++i)
            made.push_back(std::make_unique<std::string>(100, 'y'));
    });
    worker.join();
    for (const auto& item : made)
        EXPECT_NE(0, IsDynamicMemory(item->data()));
}

// ---- The C runtime DLL's own blocks ----

TEST(RuntimeBorder, BlocksTheRuntimeAllocatedGoBackToIt) {
    for (int i = 0; i < 100; ++i) {
        char* copy = _strdup("runtime block");
        ASSERT_NE(nullptr, copy);
        EXPECT_EQ(0, IsDynamicMemory(copy));
        free(copy);
        char* path = _fullpath(nullptr, "file.txt", 0);
        ASSERT_NE(nullptr, path);
        EXPECT_EQ(0, IsDynamicMemory(path));
        free(path);
    }
    EXPECT_EQ(_HEAPOK, _heapchk());
}

TEST(RuntimeBorder, ReallocOfARuntimeBlockStaysWithTheRuntime) {
    char* copy = _strdup("0123456789");
    char* grown = static_cast<char*>(realloc(copy, 100000));
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(0, IsDynamicMemory(grown));
    EXPECT_STREQ("0123456789", grown);
    EXPECT_EQ(nullptr, realloc(grown, 0));
    EXPECT_EQ(_HEAPOK, _heapchk());
}

TEST(RuntimeBorder, TheRuntimesInternalBuffersStayItsOwn) {
    char name[MAX_PATH];
    ASSERT_NE(0u, GetTempFileNameA(".", "hsv", 0, name));
    for (int i = 0; i < 20; ++i) {
        FILE* file = std::fopen(name, "w+"); // stdio allocates its buffer itself
        ASSERT_NE(nullptr, file);
        char* ours = static_cast<char*>(malloc(64));
        std::fprintf(file, "line %d\n", i);
        std::rewind(file);
        ASSERT_NE(nullptr, std::fgets(ours, 64, file));
        EXPECT_EQ("line " + std::to_string(i) + "\n", std::string(ours));
        std::fclose(file);
        EXPECT_NE(0, IsDynamicMemory(ours));
        free(ours);
    }
    std::remove(name);
    EXPECT_EQ(_HEAPOK, _heapchk());
}

} // namespace

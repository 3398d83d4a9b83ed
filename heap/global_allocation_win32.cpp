// The replaced global allocation: malloc, calloc, realloc, free and every
// form of operator new and delete allocate from the calling thread's default
// heap. Linked into each program and into trovik.dll as an object (not from
// the library), so that the statically linked runtime binds to these
// definitions before the C runtime DLL's.
//
// The C runtime DLL still allocates for itself (_strdup, _fullpath, stdio
// buffers) from its own heap and frees internally with its own free. A block
// whose 64 KB region is not in the dynamic-memory map is therefore not ours:
// free and realloc hand it to the C runtime DLL's own functions. Blocks of
// this manager never reach the C runtime DLL: nothing passes them there.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "heap/heap.h"
#include "heap/process_state.h"

namespace {

using FreeFunction = void(__cdecl*)(void*);
using ReallocFunction = void*(__cdecl*)(void*, size_t);

// The C runtime DLL's own function of that name (void (*)() converts to any
// function pointer type without a warning).
template <typename Function>
Function PlatformFunction(const char* name) {
    FARPROC address = GetProcAddress(GetModuleHandleA("msvcrt.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// Looked up on first use without a guarded static: the runtime's guard for
// function-local statics may itself allocate and free. Racing threads store
// the same value.
FreeFunction platformFree;
ReallocFunction platformRealloc;

void PlatformFree(void* block) {
    if (!platformFree) platformFree = PlatformFunction<FreeFunction>("free");
    if (platformFree) platformFree(block);
}

void* PlatformRealloc(void* block, size_t size) {
    if (!platformRealloc) platformRealloc = PlatformFunction<ReallocFunction>("realloc");
    return platformRealloc ? platformRealloc(block, size) : nullptr;
}

inline bool IsOurs(const void* block) {
    return NH_IsBlockInDynamicMemory(block) != 0;
}

inline void* Allocate(size_t size) {
    return NH_Heap::GetDefault()->AllocMem(static_cast<uint32_t>(size));
}

inline void Release(void* block) {
    if (!block) return;
    if (IsOurs(block))
        DefaultHeap.FreeMem(block); // frees a block of any heap: its own is found from it
    else
        PlatformFree(block);
}

void* AllocateOrThrow(size_t size) {
    void* block = Allocate(size);
    if (!block) throw std::bad_alloc(); // the out-of-memory handling has already run
    return block;
}

// Over-aligned blocks: the heap's blocks are 4-byte aligned, so allocate
// alignment bytes more, align up past a slot that keeps the block's start.
void* AllocateAligned(size_t size, std::align_val_t alignment) {
    const size_t align = static_cast<size_t>(alignment);
    if (size > SIZE_MAX - align) return nullptr;
    char* block = static_cast<char*>(Allocate(size + align));
    if (!block) return nullptr;
    uintptr_t aligned =
        (reinterpret_cast<uintptr_t>(block) + sizeof(void*) + align - 1) & ~(align - 1);
    reinterpret_cast<void**>(aligned)[-1] = block;
    return reinterpret_cast<void*>(aligned);
}

void* AllocateAlignedOrThrow(size_t size, std::align_val_t alignment) {
    void* block = AllocateAligned(size, alignment);
    if (!block) throw std::bad_alloc();
    return block;
}

void ReleaseAligned(void* block) {
    if (block) Release(static_cast<void**>(block)[-1]);
}

} // namespace

// ---- C allocation ----

extern "C" {

void* malloc(size_t size) {
    return size ? Allocate(size) : nullptr;
}

void* calloc(size_t count, size_t size) {
    if (size && count > SIZE_MAX / size) return nullptr;
    void* block = Allocate(count * size);
    if (block) std::memset(block, 0, count * size);
    return block;
}

void* realloc(void* block, size_t size) {
    if (!block) return malloc(size);
    if (size == 0) {
        Release(block);
        return nullptr;
    }
    if (!IsOurs(block)) return PlatformRealloc(block, size);
    return NH_Heap::GetDefault()->ReAlloc(block, static_cast<uint32_t>(size), 0);
}

void free(void* block) {
    Release(block);
}

} // extern "C"

// ---- operator new and delete ----

void* operator new(size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new(size_t size, std::align_val_t alignment) {
    return AllocateAlignedOrThrow(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return AllocateAlignedOrThrow(size, alignment);
}
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}

void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    ReleaseAligned(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    ReleaseAligned(block);
}
void operator delete(void* block, size_t, std::align_val_t) noexcept {
    ReleaseAligned(block);
}
void operator delete[](void* block, size_t, std::align_val_t) noexcept {
    ReleaseAligned(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    ReleaseAligned(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    ReleaseAligned(block);
}

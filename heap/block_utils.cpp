// Blocks of a heap used as resizable byte buffers. Every operation that
// resizes returns the possibly moved block, or null when memory runs out or
// the offsets lie outside the block; after null the old block is still valid.

#include <cstring>

#include "heap/block_layout.h"
#include "heap/heap.h"

namespace {

bool Overlaps(const void* data, const void* block, uint32_t size) {
    const char* p = static_cast<const char*>(data);
    const char* b = static_cast<const char*>(block);
    return p >= b && p < b + size;
}

} // namespace

void* NH_Heap::Alloc(uint32_t size, int zero) {
    void* block = AllocMem(size);
    if (block && zero) std::memset(block, 0, size);
    return block;
}

void* NH_Heap::StoreData(const void* data, uint32_t size) {
    void* block = AllocMem(size);
    if (block && data) std::memcpy(block, data, size);
    return block;
}

void* NH_Heap::Clone(void* block) {
    return StoreData(block, GetBlockSize(block));
}

char* NH_Heap::StoreString(const char* text, int32_t length) {
    if (!text) text = "";
    uint32_t count =
        length < 0 ? static_cast<uint32_t>(std::strlen(text)) : static_cast<uint32_t>(length);
    if (count == UINT32_MAX) return nullptr;
    char* copy = static_cast<char*>(AllocMem(count + 1));
    if (copy) {
        std::memcpy(copy, text, count);
        copy[count] = '\0';
    }
    return copy;
}

uint32_t NH_Heap::GetBlockSize(const void* block) {
    if (!block) return 0;
    if (IsAltBlock(block)) return AltHeaderOf(const_cast<void*>(block))->_size;
    return SmallBlockOf(const_cast<void*>(block))->_size;
}

void* NH_Heap::ExpandBy(void* block, uint32_t count, int zero) {
    if (count == 0) return block;
    uint32_t size = GetBlockSize(block);
    if (count > UINT32_MAX - size) return nullptr;
    return ReAlloc(block, size + count, zero);
}

void* NH_Heap::Insert(void* block, uint32_t offset, const void* data, uint32_t count) {
    if (count == 0) return block;
    const uint32_t size = GetBlockSize(block);
    if (offset > size) return nullptr;
    if (data && Overlaps(data, block, size)) {
        // The data would move with the block: insert a copy of it.
        void* copy = StoreData(data, count);
        if (!copy) return nullptr;
        void* result = Insert(block, offset, copy, count);
        FreeMem(copy);
        return result;
    }
    char* grown = static_cast<char*>(ExpandBy(block, count, 0));
    if (!grown) return nullptr;
    std::memmove(grown + offset + count, grown + offset, size - offset);
    if (data)
        std::memcpy(grown + offset, data, count);
    else
        std::memset(grown + offset, 0, count);
    return grown;
}

void* NH_Heap::Append(void* block, const void* data, uint32_t count) {
    return Insert(block, GetBlockSize(block), data, count);
}

void* NH_Heap::Prepend(void* block, const void* data, uint32_t count) {
    return Insert(block, 0, data, count);
}

void* NH_Heap::RemoveSubBlock(void* block, uint32_t offset, uint32_t count) {
    if (count == 0) return block;
    const uint32_t size = GetBlockSize(block);
    if (offset > size || count > size - offset) return nullptr;
    char* bytes = static_cast<char*>(block);
    std::memmove(bytes + offset, bytes + offset + count, size - offset - count);
    return ReAlloc(block, size - count, 0);
}

// Keeping more bytes than follow the skipped ones grows the block: only the
// bytes that exist are moved, the grown part is left as ReAlloc makes it.
void* NH_Heap::Trim(void* block, uint32_t skip, uint32_t keep) {
    const uint32_t size = GetBlockSize(block);
    if (skip > size) return nullptr;
    const uint32_t moved = keep < size - skip ? keep : size - skip;
    if (skip) std::memmove(block, static_cast<char*>(block) + skip, moved);
    return ReAlloc(block, keep, 0);
}

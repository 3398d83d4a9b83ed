// libFuzzer target: random sequences of allocating, freeing, resizing and
// editing blocks (the block utilities) on one heap, with requests of the
// system failing on demand. After every step the heap checker must accept
// the heap and every live block must hold what a plain copy of it (kept in
// std::string, outside the heap) says; a failed operation must leave its
// block as it was. A difference aborts with the step that caused it.
//
// Input: a byte choosing the heap (odd: a thread-safe static heap, whose
// small blocks pass through the thread's cache; even: a heap of its own),
// then a sequence of steps, each an operation byte and its argument bytes;
// a missing argument byte reads as 0.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "heap/block_layout.h"
#include "heap/heap.h"
#include "tests/heap/heap_checker.h"

namespace {

struct Live {
    char* block;
    std::string contents; // what the block must hold
};

class Input {
public:
    Input(const uint8_t* data, size_t size) : _data(data), _size(size) {}
    bool AtEnd() const { return _at >= _size; }
    uint8_t Byte() { return _at < _size ? _data[_at++] : 0; }
    uint32_t Word() { return Byte() | Byte() << 8; }
    // Sizes around every boundary of the heap: small, the 1020/1021 border,
    // big, and now and then a large one that needs a big page set of its own.
    uint32_t Size() {
        uint8_t kind = Byte();
        uint32_t word = Word();
        switch (kind % 4) {
        case 0:
            return word % 64;
        case 1:
            return 1000 + word % 48;
        case 2:
            return word;
        default:
            return word << 5;
        }
    }

private:
    const uint8_t* _data;
    size_t _size;
    size_t _at = 0;
};

// Requests of the system that still succeed before the next one fails;
// negative: none fails.
int requestsBeforeFailure = -1;

int FailOnDemand(NH_OsRequest, uint32_t) {
    if (requestsBeforeFailure < 0) return 0;
    return requestsBeforeFailure-- == 0;
}

int GiveUp() {
    return 0;
}

[[noreturn]] void Fault(const char* what, size_t step) {
    std::fprintf(stderr, "heap_fuzz: %s after step %zu\n", what, step);
    std::abort();
}

std::string Text(Input& input, uint32_t count) {
    std::string text(count, '\0');
    const char fill = static_cast<char>(input.Byte());
    for (uint32_t i = 0; i < count; ++i)
        text[i] = static_cast<char>(fill + i);
    return text;
}

void Fill(Live& live, char seed) {
    for (size_t i = 0; i < live.contents.size(); ++i)
        live.contents[i] = static_cast<char>(seed + i * 7);
    std::memcpy(live.block, live.contents.data(), live.contents.size());
}

// One editing operation; the expected contents change only when it succeeds.
void Edit(NH_Heap& heap, Live& live, Input& input) {
    const uint32_t size = static_cast<uint32_t>(live.contents.size());
    const uint8_t operation = input.Byte() % 6;
    const uint32_t offset = size ? input.Word() % (size + 2) : input.Word() % 2;
    const uint32_t count = input.Size() % 4096;
    std::string expected = live.contents;
    std::string data = Text(input, count);
    const bool withData = input.Byte() & 1;
    void* result = nullptr;
    bool refused = false; // offsets outside the block: null by contract
    switch (operation) {
    case 0:
        result = heap.Insert(live.block, offset, withData ? data.data() : nullptr, count);
        refused = count && offset > size;
        if (!refused && count) expected.insert(offset, withData ? data : std::string(count, '\0'));
        break;
    case 1:
        result = heap.Append(live.block, withData ? data.data() : nullptr, count);
        expected += withData ? data : std::string(count, '\0');
        break;
    case 2:
        result = heap.Prepend(live.block, withData ? data.data() : nullptr, count);
        expected.insert(0, withData ? data : std::string(count, '\0'));
        break;
    case 3:
        result = heap.RemoveSubBlock(live.block, offset, count);
        refused = count && (offset > size || count > size - offset);
        if (!refused && count) expected.erase(offset, count);
        break;
    case 4:
        result = heap.Trim(live.block, offset, count);
        refused = offset > size;
        if (!refused) {
            expected = expected.substr(offset, count);
            expected.resize(count, '\0'); // the grown part is not defined: taken below
        }
        break;
    default:
        result = heap.ExpandBy(live.block, count, 1);
        expected.resize(size + count, '\0');
        break;
    }
    if (!result) {
        // A failed Trim may already have moved the kept bytes to the start.
        if (operation == 4 && !refused) live.contents = std::string(live.block, size);
        return;
    }
    live.block = static_cast<char*>(result);
    if (operation == 4) { // take the undefined grown part as it is
        const uint32_t kept = size - offset < count ? size - offset : count;
        expected.replace(kept, count - kept, live.block + kept, count - kept);
    }
    live.contents = expected;
}

// Static and thread-safe: its small blocks pass through this thread's cache.
NH_Heap cachedHeap(NH_THREAD_SAFE | NH_NO_NEW_HANDLER, "fuzz cached");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    NH_Heap localHeap(NH_NO_NEW_HANDLER, "fuzz");
    NH_Heap& heap = input.Byte() & 1 ? cachedHeap : localHeap;
    heap._fpOutOfMemory = GiveUp;
    NH_fpFailMemoryRequest = FailOnDemand;
    std::vector<Live> live;
    for (size_t step = 0; !input.AtEnd() && step < 256; ++step) {
        const uint8_t operation = input.Byte();
        Live* target = live.empty() ? nullptr : &live[input.Byte() % live.size()];
        switch (operation % 8) {
        case 0:
        case 1: {
            const uint32_t bytes = input.Size();
            char* block = static_cast<char*>(
                operation % 8 ? heap.AllocMem(bytes)
                              : heap.AllocWithReserve(bytes + input.Size(), bytes, 0));
            if (block) {
                live.push_back({block, std::string(bytes, '\0')});
                Fill(live.back(), static_cast<char>(step));
            }
            break;
        }
        case 2:
            if (target) {
                heap.FreeMem(target->block);
                *target = live.back();
                live.pop_back();
            }
            break;
        case 3:
            if (target) {
                const uint32_t bytes = input.Size();
                void* resized = heap.ReAlloc(target->block, bytes, 1);
                if (resized) {
                    target->block = static_cast<char*>(resized);
                    target->contents.resize(bytes, '\0');
                }
            }
            break;
        case 4:
        case 5:
            if (target) Edit(heap, *target, input);
            break;
        case 6:
            requestsBeforeFailure = input.Byte() % 8;
            break;
        default:
            if (operation == 0xFF) { // rarely: everything at once
                heap.Clear();
                live.clear();
            } else {
                requestsBeforeFailure = -1;
            }
            break;
        }
        NH_fpFailMemoryRequest = nullptr; // the checker's own heap must not fail
        if (!CheckHeap(heap)) Fault(CheckHeap(heap).message(), step);
        NH_fpFailMemoryRequest = FailOnDemand;
        for (const Live& each : live) {
            if (NH_Heap::GetBlockSize(each.block) != each.contents.size())
                Fault("a block's size differs", step);
            if (std::memcmp(each.block, each.contents.data(), each.contents.size()) != 0)
                Fault("a block's contents differ", step);
        }
    }
    NH_fpFailMemoryRequest = nullptr;
    requestsBeforeFailure = -1;
    cachedHeap.Clear();
    return 0;
}

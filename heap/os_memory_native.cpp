// The memory manager's system calls over POSIX: mmap for address space,
// recursive pthread mutexes, pthread keys. Regions are kept below 4 GB (see
// heap/os_memory.h): MAP_32BIT where the system has it, else an address hint
// with the result checked.

#include "heap/os_memory.h"

#include "heap/poison.h"

#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <new>

static_assert(sizeof(pthread_mutex_t) <= sizeof(NH_OsCriticalSection) &&
                  alignof(pthread_mutex_t) <= alignof(NH_OsCriticalSection),
              "NH_OsCriticalSection must hold a pthread mutex");

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000 // Linux 4.17; older kernels take it as a hint
#endif

namespace {

const uintptr_t kGranularity = 65536;
const uintptr_t kFourGigabytes = uintptr_t(1) << 32;

pthread_mutex_t* AsMutex(NH_OsCriticalSection* section) {
    return reinterpret_cast<pthread_mutex_t*>(section->storage);
}

bool RequestFails(NH_OsRequest request, uint32_t size) {
    return NH_fpFailMemoryRequest && NH_fpFailMemoryRequest(request, size);
}

char* MapInaccessible(void* hint, size_t size, int extraFlags) {
    void* address = mmap(hint, size, PROT_NONE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | extraFlags, -1, 0);
    return address == MAP_FAILED ? nullptr : static_cast<char*>(address);
}

// An inaccessible mapping of size bytes below 4 GB, anywhere.
char* MapLow(size_t size) {
#if defined(MAP_32BIT)
    return MapInaccessible(nullptr, size, MAP_32BIT);
#else
    char* address = MapInaccessible(reinterpret_cast<void*>(kFourGigabytes / 4), size, 0);
    if (address && reinterpret_cast<uintptr_t>(address) + size > kFourGigabytes) {
        munmap(address, size);
        return nullptr;
    }
    return address;
#endif
}

} // namespace

NH_OsSystemInfo NH_OsGetSystemInfo() {
    return {static_cast<uint32_t>(sysconf(_SC_PAGESIZE)), static_cast<uint32_t>(kGranularity)};
}

int (*NH_fpFailMemoryRequest)(NH_OsRequest request, uint32_t size);

// mmap aligns to a page only: map a granularity unit more and cut the
// unaligned ends off.
void* NH_OsReserve(uint32_t size) {
    if (RequestFails(NH_OS_RESERVE, size)) return nullptr;
    const size_t mapped = size_t(size) + kGranularity;
    char* address = MapLow(mapped);
    if (!address) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(address);
    const uintptr_t aligned = (start + kGranularity - 1) & ~(kGranularity - 1);
    char* base = reinterpret_cast<char*>(aligned);
    if (aligned > start) munmap(address, aligned - start);
    const size_t tail = start + mapped - (aligned + size);
    if (tail) munmap(base + size, tail);
    return base;
}

void* NH_OsReserveAt(void* address, uint32_t size) {
    if (RequestFails(NH_OS_RESERVE, size)) return nullptr;
    if (reinterpret_cast<uintptr_t>(address) + size > kFourGigabytes) return nullptr;
    // Without MAP_FIXED_NOREPLACE (older kernels) the address is a hint only.
    char* base = MapInaccessible(address, size, MAP_FIXED_NOREPLACE);
    if (base && base != address) {
        munmap(base, size);
        return nullptr;
    }
    return base;
}

int NH_OsCommit(void* address, uint32_t size) {
    if (RequestFails(NH_OS_COMMIT, size)) return 0;
    return mprotect(address, size, PROT_READ | PROT_WRITE) == 0;
}

// MADV_DONTNEED drops the pages: they read as zero when committed again.
void NH_OsDecommit(void* address, uint32_t size) {
    NH_Unpoison(address, size); // the next user of these pages starts clean
    madvise(address, size, MADV_DONTNEED);
    mprotect(address, size, PROT_NONE);
}

void NH_OsRelease(void* base, uint32_t size) {
    NH_Unpoison(base, size); // the next mapping here starts clean
    munmap(base, size);
}

void NH_OsInitCriticalSection(NH_OsCriticalSection* section) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(new (section->storage) pthread_mutex_t, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void NH_OsDeleteCriticalSection(NH_OsCriticalSection* section) {
    pthread_mutex_destroy(AsMutex(section));
}

void NH_OsEnterCriticalSection(NH_OsCriticalSection* section) {
    pthread_mutex_lock(AsMutex(section));
}

void NH_OsLeaveCriticalSection(NH_OsCriticalSection* section) {
    pthread_mutex_unlock(AsMutex(section));
}

void NH_OsYield() {
    sched_yield();
}

// pthread keys start at 0: the slot is the key plus 1.
uintptr_t NH_OsTlsAlloc() {
    pthread_key_t key;
    return pthread_key_create(&key, nullptr) == 0 ? uintptr_t(key) + 1 : 0;
}

void NH_OsTlsFree(uintptr_t slot) {
    pthread_key_delete(static_cast<pthread_key_t>(slot - 1));
}

void* NH_OsTlsGet(uintptr_t slot) {
    return pthread_getspecific(static_cast<pthread_key_t>(slot - 1));
}

void NH_OsTlsSet(uintptr_t slot, void* value) {
    pthread_setspecific(static_cast<pthread_key_t>(slot - 1), value);
}

void NH_OsFindThreadEndHooks() {} // pthread keys need no look-up

uintptr_t NH_OsThreadEndSlotAlloc(void (*atThreadEnd)(void* value)) {
    pthread_key_t key;
    return pthread_key_create(&key, atThreadEnd) == 0 ? uintptr_t(key) + 1 : 0;
}

void NH_OsThreadEndSlotFree(uintptr_t slot) {
    NH_OsTlsFree(slot);
}

void NH_OsThreadEndSlotSet(uintptr_t slot, void* value) {
    NH_OsTlsSet(slot, value);
}

// The stack's bounds are asked once per thread: for the main thread the
// system reads them from /proc.
int NH_OsIsOnCurrentStack(const void* address) {
    static thread_local uintptr_t low, high;
    if (high == 0) {
        pthread_attr_t attributes;
        void* stack = nullptr;
        size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
        pthread_attr_getstack(&attributes, &stack, &size);
        pthread_attr_destroy(&attributes);
        low = reinterpret_cast<uintptr_t>(stack);
        high = low + size;
    }
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    return at >= low && at < high;
}

void NH_OsShowError(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

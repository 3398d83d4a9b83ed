#include "heap/os_memory.h"

#include <windows.h>

#include <cstddef>

static_assert(sizeof(NH_OsCriticalSection) == sizeof(CRITICAL_SECTION),
              "NH_OsCriticalSection must hold a CRITICAL_SECTION");
static_assert(alignof(NH_OsCriticalSection) >= alignof(CRITICAL_SECTION),
              "NH_OsCriticalSection must be aligned like a CRITICAL_SECTION");

static CRITICAL_SECTION* AsCriticalSection(NH_OsCriticalSection* section) {
    return reinterpret_cast<CRITICAL_SECTION*>(section);
}

NH_OsSystemInfo NH_OsGetSystemInfo() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return {info.dwPageSize, info.dwAllocationGranularity};
}

int (*NH_fpFailMemoryRequest)(NH_OsRequest request, uint32_t size);

static bool RequestFails(NH_OsRequest request, uint32_t size) {
    return NH_fpFailMemoryRequest && NH_fpFailMemoryRequest(request, size);
}

void* NH_OsReserve(uint32_t size) {
    if (RequestFails(NH_OS_RESERVE, size)) return nullptr;
    return VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_READWRITE);
}

void* NH_OsReserveAt(void* address, uint32_t size) {
    if (RequestFails(NH_OS_RESERVE, size)) return nullptr;
    void* base = VirtualAlloc(address, size, MEM_RESERVE, PAGE_READWRITE);
    if (base && base != address) { // cannot happen for a granularity boundary
        VirtualFree(base, 0, MEM_RELEASE);
        return nullptr;
    }
    return base;
}

int NH_OsCommit(void* address, uint32_t size) {
    if (RequestFails(NH_OS_COMMIT, size)) return 0;
    return VirtualAlloc(address, size, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void NH_OsDecommit(void* address, uint32_t size) {
    VirtualFree(address, size, MEM_DECOMMIT);
}

void NH_OsRelease(void* base, uint32_t /*size*/) {
    VirtualFree(base, 0, MEM_RELEASE);
}

void NH_OsInitCriticalSection(NH_OsCriticalSection* section) {
    InitializeCriticalSection(AsCriticalSection(section));
}

void NH_OsDeleteCriticalSection(NH_OsCriticalSection* section) {
    DeleteCriticalSection(AsCriticalSection(section));
}

void NH_OsEnterCriticalSection(NH_OsCriticalSection* section) {
    EnterCriticalSection(AsCriticalSection(section));
}

void NH_OsLeaveCriticalSection(NH_OsCriticalSection* section) {
    LeaveCriticalSection(AsCriticalSection(section));
}

void NH_OsYield() {
    Sleep(0);
}

// TLS indexes start at 0: the slot is the index plus 1.
uintptr_t NH_OsTlsAlloc() {
    DWORD index = TlsAlloc();
    return index == TLS_OUT_OF_INDEXES ? 0 : index + 1;
}

void NH_OsTlsFree(uintptr_t slot) {
    TlsFree(static_cast<DWORD>(slot - 1));
}

// TlsGetValue clears the thread's last error; every malloc comes here, and
// callers read GetLastError after building their error objects.
void* NH_OsTlsGet(uintptr_t slot) {
    DWORD error = GetLastError();
    void* value = TlsGetValue(static_cast<DWORD>(slot - 1));
    SetLastError(error);
    return value;
}

void NH_OsTlsSet(uintptr_t slot, void* value) {
    TlsSetValue(static_cast<DWORD>(slot - 1), value);
}

// Fiber-local slots come with Windows Vista: looked up by name, so that
// without them the manager only goes without thread caches.
namespace {

using FlsCallback = void(WINAPI*)(void*);
using FlsAllocFunction = DWORD(WINAPI*)(FlsCallback);
using FlsFreeFunction = BOOL(WINAPI*)(DWORD);
using FlsSetValueFunction = BOOL(WINAPI*)(DWORD, void*);

// Found once, by NH_OsFindThreadEndHooks; null where the system has none.
FlsAllocFunction flsAlloc;
FlsFreeFunction flsFree;
FlsSetValueFunction flsSetValue;
int hooksFound;

template <typename Function>
void Find(HMODULE kernel, const char* name, Function* function) {
    FARPROC address = kernel ? GetProcAddress(kernel, name) : nullptr;
    __atomic_store_n(function, reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address)),
                     __ATOMIC_RELAXED);
}

void (*threadEndCall)(void*); // one slot is all the manager takes

void WINAPI AtThreadEnd(void* value) {
    if (threadEndCall) threadEndCall(value);
}

} // namespace

void NH_OsFindThreadEndHooks() {
    if (__atomic_load_n(&hooksFound, __ATOMIC_ACQUIRE)) return;
    // Threads that race here store the same addresses.
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    Find(kernel, "FlsAlloc", &flsAlloc);
    Find(kernel, "FlsFree", &flsFree);
    Find(kernel, "FlsSetValue", &flsSetValue);
    __atomic_store_n(&hooksFound, 1, __ATOMIC_RELEASE);
}

uintptr_t NH_OsThreadEndSlotAlloc(void (*atThreadEnd)(void* value)) {
    if (!flsAlloc || threadEndCall) return 0;
    DWORD index = flsAlloc(AtThreadEnd);
    if (index == 0xFFFFFFFFu) return 0; // FLS_OUT_OF_INDEXES
    threadEndCall = atThreadEnd;
    return index + 1;
}

// FlsFree calls back for the values of other threads: the manager is being
// unloaded then, so the calls are cut off first.
void NH_OsThreadEndSlotFree(uintptr_t slot) {
    threadEndCall = nullptr;
    if (flsFree) flsFree(static_cast<DWORD>(slot - 1));
}

void NH_OsThreadEndSlotSet(uintptr_t slot, void* value) {
    if (flsSetValue) flsSetValue(static_cast<DWORD>(slot - 1), value);
}

static const void* AllocationBaseOf(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(address, &info, sizeof info) == 0) return nullptr;
    return info.AllocationBase;
}

int NH_OsIsOnCurrentStack(const void* address) {
    int local = 0;
    const void* stackBase = AllocationBaseOf(&local);
    return stackBase != nullptr && AllocationBaseOf(address) == stackBase;
}

void NH_OsShowError(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

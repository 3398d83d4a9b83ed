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

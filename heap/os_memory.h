#pragma once
// Thin wrappers over the operating system calls of the memory manager:
// address space, system information, critical sections, the stack test and
// the error message box. No logic: each returns what the system call returned.

#include <cstdint>

struct NH_OsCriticalSection;

struct NH_OsSystemInfo {
    uint32_t pageSize;    // 4096 on the platform
    uint32_t granularity; // 65536 on the platform
};

NH_OsSystemInfo NH_OsGetSystemInfo();

enum NH_OsRequest { NH_OS_RESERVE, NH_OS_COMMIT };

// Fault injection for tests: called before every reservation and commit with
// its kind and size; nonzero makes that request fail as if the system had no
// memory (or address space) left.
extern int (*NH_fpFailMemoryRequest)(NH_OsRequest request, uint32_t size);

// Reserves size bytes at a granularity boundary; null on failure.
void* NH_OsReserve(uint32_t size);
// Reserves size bytes exactly at address (a granularity boundary); null when
// that range is not free.
void* NH_OsReserveAt(void* address, uint32_t size);
// Commits [address, address + size) of a reserved region; 1 or 0.
int NH_OsCommit(void* address, uint32_t size);
void NH_OsDecommit(void* address, uint32_t size);
// Releases a whole region given by its base.
void NH_OsRelease(void* base);

void NH_OsInitCriticalSection(NH_OsCriticalSection* section);
void NH_OsDeleteCriticalSection(NH_OsCriticalSection* section);
void NH_OsEnterCriticalSection(NH_OsCriticalSection* section);
void NH_OsLeaveCriticalSection(NH_OsCriticalSection* section);

// 1 when the address lies in the same allocation as the calling thread's stack.
int NH_OsIsOnCurrentStack(const void* address);

// Error message box: error icon, task-modal, brought to the foreground.
void NH_OsShowError(const char* text, const char* caption);

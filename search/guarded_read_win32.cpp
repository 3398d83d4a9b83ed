#include "search/guarded_read.h"

#include "fs/fault_guard.h"

int ReadGuarded(const void* begin, uint32_t size, void (*body)(void* context), void* context) {
    return RunGuarded(begin, size, body, context);
}

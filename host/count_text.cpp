#include "host/count_text.h"

#include <cstdio>

void FormatCounts(char* text, size_t size, const char* format, uint32_t first, uint32_t second) {
    snprintf(text, size, format, static_cast<int>(static_cast<int32_t>(first)),
             static_cast<int>(static_cast<int32_t>(second)));
}
